// The button window's rules without widgets: which codes can be sent and how the station will
// show them, what a code stands for, buttons per working program, and commits that store every
// phone or nothing.
#include "editors/sta_button_editor.h"

#include <gtest/gtest.h>

#include <set>

#include "codecs/sta_button_codec.h"
#include "model/broadcaster.h"
#include "sim/builtin_stations.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

struct TStation : test::TOfflineSession {
    explicit TStation(const std::string& model, const std::string& version = "24,8")
        : TOfflineSession(model, version) {
        test::TakeStation(sim::MakeBuiltinStation(model, false, version), Session, *Store);
        Dialogs = test::TScriptedDialogs(true);
    }
    std::string Print() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
};

std::pair<int, int> Bytes(const std::string& text) {
    std::uint8_t code = 0;
    std::uint8_t kind = 0;
    test::TScriptedDialogs none;
    TBroadcaster::StrToWord1(text, code, kind, none);
    return {code, kind};
}

TEST(StaButtonEditor, CodesAreTakenAsTheStationWillShowThemOrRefused) {
    const std::vector<std::pair<std::string, std::string>> taken{
        {"101", "101"},     {"1234", "1234"},   {"1034", "1034"},
        {"10", "10"},       {"05", "05"},       {"00", "00"},
        {"070", "070"},     {"215", "215"},     {"305", "305"},
        {"9", "9"},         {"705", "705"},     {"700", "700"},
        {"55", "55"},       {"57", "55"},       {"S120", "SL20"},
        {"SL 20", "SL20"},  {"SL205", "SL205"}, {"SL310", "SL310"},
        {"Conf0", "Conf0"}, {"Conf7", "Conf7"}, {"", ""}};
    for (const auto& [typed, shown] : taken) {
        const TButtonCodeCheck check = CheckButtonCode(typed);
        EXPECT_TRUE(check.Ok()) << typed << ": " << check.Error;
        EXPECT_EQ(check.Text, shown) << typed;
    }
    for (const std::string typed : {"25", "4", "412", "8", "6", "1", "12345", "SL21", "SL", "SL2",
                                    "SL405", "Conf", "Conf1x", "1a", "2x5", "Conf1a", "ж", "C"}) {
        const TButtonCodeCheck check = CheckButtonCode(typed);
        EXPECT_FALSE(check.Ok()) << typed;
        EXPECT_NE(check.Error.find("\"" + typed + "\""), std::string::npos) << check.Error;
    }
    // Whatever is typed, the text kept is sent as the very same two bytes.
    const std::string alphabet = "0123456789";
    std::vector<std::string> texts{"9"};
    for (char a : alphabet) {
        texts.push_back(std::string(1, a));
        for (char b : alphabet) {
            texts.push_back({a, b});
            texts.push_back(std::string("SL") + a + b);
            for (char c : alphabet) {
                texts.push_back({a, b, c});
                texts.push_back(std::string("SL") + a + b + c);
                texts.push_back(std::string("1") + a + b + c);
            }
        }
        texts.push_back(std::string("Conf") + a);
    }
    for (const std::string& t : texts) {
        const TButtonCodeCheck check = CheckButtonCode(t);
        if (check.Ok()) EXPECT_EQ(Bytes(check.Text), Bytes(t)) << t << " kept as " << check.Text;
    }
}

TEST(StaButtonEditor, MeaningsNameLinesTrunkLinesDirectionsAndConferences) {
    TStation s("Cedar");
    TDataStream& store = *s.Store;
    TPortPtr line, trunk;
    for (const TPortPtr& p : store.Ports) {
        if (!line && p->Type == kPortTypeSubscriber) line = p;
        if (!trunk && p->Type == kPortTypeTrunk) trunk = p;
    }
    ASSERT_TRUE(line && trunk);
    store.Names->SetPortName(line->Line - 1, "\xCA\xE0\xF1\xF1\xE0");  // "Касса"
    line->AlData->AL_PrgNum = "1987";
    const std::string port = std::to_string(line->Number);
    EXPECT_EQ(ButtonMeaning(store, ""), "не запрограммирована");
    EXPECT_EQ(ButtonMeaning(store, "1987"),
              "АЛ с программным номером 1987, порт " + port + " (Касса)");
    EXPECT_EQ(ButtonMeaning(store, "1986"), "Программный номер 1986");
    EXPECT_EQ(ButtonMeaning(store, port), "АЛ " + port + " (Касса)");
    EXPECT_EQ(ButtonMeaning(store, "SL2" + std::to_string(trunk->Number).substr(1)),
              "СЛ " + std::to_string(trunk->Number));
    EXPECT_EQ(ButtonMeaning(store, "SL399"), "СЛ 399");
    EXPECT_EQ(ButtonMeaning(store, "399"), "Порт 399");
    EXPECT_EQ(ButtonMeaning(store, "9"), "Направление 9");
    EXPECT_EQ(ButtonMeaning(store, "02"), "Направление 02");
    EXPECT_EQ(ButtonMeaning(store, "Conf3"), "Конференция 3");
    EXPECT_EQ(ButtonMeaning(store, "25"), "код не может быть записан в АТС");
}

TEST(StaButtonEditor, ButtonsPerPhoneFollowTheWorkingProgram) {
    for (const auto& [version, buttons] : {std::pair{"30,7", 48}, std::pair{"30,8", 60}}) {
        TStation s("Dogwood", version);
        TStaButtonEditor editor(s.Session, *s.Store);
        ASSERT_FALSE(editor.Phones().empty());
        EXPECT_EQ(editor.ButtonCount(), buttons) << version;
        EXPECT_FALSE(editor.SetButton(0, buttons - 1, "105").has_value());
        EXPECT_TRUE(editor.Dirty());
        ASSERT_TRUE(editor.Commit(s.Session, *s.Store, s.Dialogs));
        EXPECT_EQ(s.Store->StaButtons[0].Buttons[static_cast<std::size_t>(buttons - 1)], "105");
        const TRawSlot& slot = s.Session.Area(ETable::StaButtons).Slots[0];
        const int linked = s.Store->StaButtons[0].LinkedSta != -1 ? 1 : 0;
        EXPECT_EQ(slot.Length, 2 * buttons + linked) << version;
        EXPECT_EQ(slot.Bytes[static_cast<std::size_t>(2 * buttons - 2)], 0xA5);
        EXPECT_EQ(slot.Bytes[static_cast<std::size_t>(2 * buttons - 1)], 0x01);
        EXPECT_TRUE(s.Session.Changed(ETable::StaButtons));
    }
}

TEST(StaButtonEditor, ARefusedCodeOrLinkOrAnUnansweredQuestionStoresNothing) {
    TStation s("Alder");
    const std::string before = s.Print();
    TStaButtonEditor editor(s.Session, *s.Store);
    const std::string old = editor.Button(1, 3);
    const auto refused = editor.SetButton(1, 3, "25");
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(editor.Button(1, 3), old);
    EXPECT_FALSE(editor.Dirty());

    // A link to a port that is no system-phone place.
    editor.SetLinked(0, 201);
    s.Dialogs.ExpectMessage();
    EXPECT_FALSE(editor.Commit(s.Session, *s.Store, s.Dialogs));
    EXPECT_EQ(s.Print(), before);
    editor.SetLinked(0, s.Store->StaButtons[0].LinkedSta);

    // A code read from a station that cannot be sent back is asked about first.
    s.Store->StaButtons[2].Buttons[4] = "25";
    const std::string withBadCode = s.Print();
    TStaButtonEditor again(s.Session, *s.Store);
    EXPECT_EQ(again.UnsendableButtons(), (std::vector<std::string>{"СТА 3, кнопка 5 (25)"}));
    ASSERT_FALSE(again.SetButton(0, 0, "9").has_value());
    s.Dialogs.ExpectQuestion("", TAnswer::Cancel);
    EXPECT_FALSE(again.Commit(s.Session, *s.Store, s.Dialogs));
    EXPECT_EQ(s.Print(), withBadCode);
    s.Dialogs.ExpectQuestion("", TAnswer::Ok);
    EXPECT_TRUE(again.Commit(s.Session, *s.Store, s.Dialogs));
    EXPECT_EQ(s.Store->StaButtons[0].Buttons[0], "9");
    const TRawSlot& slot = s.Session.Area(ETable::StaButtons).Slots[2];
    EXPECT_EQ(slot.Bytes[8], 0);
    EXPECT_EQ(slot.Bytes[9], 0);
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

TEST(StaButtonEditor, PhonesAndLinkChoicesFollowTheSystemPhoneNumbering) {
    TStation s("Dogwood");
    TStaButtonEditor editor(s.Session, *s.Store);
    ASSERT_EQ(editor.Phones().size(), s.Session.Identity.StaCount);
    std::set<int> ports;
    for (const TStaPhone& p : editor.Phones()) {
        EXPECT_TRUE(IsStaLinkPort("Dogwood", p.Port)) << p.Text;
        ports.insert(p.Port);
    }
    EXPECT_EQ(ports.size(), editor.Phones().size());
    const auto links = editor.LinkChoices(0);
    EXPECT_EQ(links.front().Port, -1);
    EXPECT_EQ(links.size(), editor.Phones().size());  // the others and "none"
    for (const TStaLinkChoice& c : links) EXPECT_NE(c.Port, editor.Phones()[0].Port);
    EXPECT_TRUE(StationHasSta(*s.Store));
}

}  // namespace
}  // namespace zarnik
