// Software cross-connection: what moves with two exchanged ports, what is refused, and that an
// exchange undone gives back the very same configuration file.
#include "editors/cross_connect.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/table_codec.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::TLoadedStation;

std::vector<int> PortsOfType(const TDataStream& store, std::int16_t type) {
    std::vector<int> out;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == type) out.push_back(p->Number);
    return out;
}

int LineIndex(const TDataStream& store, int port) {
    return FindPort(store, port)->Line - 1;
}

void EncodeTables(TMainClass& session, TDataStream& store, std::initializer_list<ETable> tables) {
    for (ETable t : tables)
        ASSERT_GE(FindCodec(t)->Encode(session, store), 0) << FindCodec(t)->Caption;
    session.ChangeFlags.fill(false);
}

std::vector<ETable> ChangedTables(const TMainClass& session) {
    std::vector<ETable> out;
    for (ETable t : kAllTables)
        if (session.Changed(t)) out.push_back(t);
    return out;
}

// The built-in stations carry an empty redirection block; give it the length a read from a
// station gives (one byte per subscriber line), with no line redirected.
void NoRedirections(TLoadedStation& s) {
    TRawSlot& slot = s.Session.Area(ETable::Redirections).Slots[0];
    slot.Length = static_cast<std::uint16_t>(s.Session.Identity.SubscriberLineCount);
    for (TRedirectRecord& r : s.Store->Redirections) r.Target = 0;
    ASSERT_GE(FindCodec(ETable::Redirections)->Encode(s.Session, *s.Store), 0);
    s.Session.ChangeFlags.fill(false);
}

// A fresh program that loaded the configuration the session saves.
std::unique_ptr<test::TOfflineSession> SavedAndLoaded(TLoadedStation& s) {
    const std::string path = s.Dir.Path + "/cross.ats";
    TFileList out;
    EXPECT_TRUE(SaveConfiguration(s.Session, *s.Store, out, test::AllTicks(), path));
    auto fresh = std::make_unique<test::TOfflineSession>(s.Session.Identity.ModelName);
    TFileList in;
    EXPECT_TRUE(LoadConfiguration(fresh->Session, *fresh->Store, in, test::AllTicks(), path));
    return fresh;
}

// Two subscriber lines referenced from every table that can name a line.
struct TReferencedLines {
    explicit TReferencedLines(const std::string& model) : S(model) {
        NoRedirections(S);
        TDataStream& st = *S.Store;
        const std::vector<int> lines = PortsOfType(st, kPortTypeSubscriber);
        A = lines[0];
        B = lines[1];
        C = lines[2];
        TAL& la = st.Lines[Index(A)];
        TAL& lb = st.Lines[Index(B)];
        la.ALPriority = 3;
        la.AL_Own[al_setting::FAXRegime] = true;
        la.AL_FAXRegime = true;
        lb.ALPriority = 1;
        lb.ALDirectCall = "100";
        FindPort(st, A)->AlData->AL_PrgNum = "105";
        FindPort(st, B)->AlData->AL_PrgNum = "";
        st.Names->SetPortName(Index(A), Utf8ToCp1251("Иванов"));
        st.Names->SetPortName(Index(B), Utf8ToCp1251("Петров"));
        st.Redirections[Index(A)].Target = C;
        st.Redirections[Index(C)].Target = B;
        st.Redirections[Index(B)].Target = 0;
        st.RoutingTables[0].Clear();
        st.RoutingTables[0].Rows[0] = {A, C, B, 0, 0};
        st.Groups[0].GR_GroupCall = {A, C, 0, 0, 0};
        st.DoorPhones[0].LinkPort = std::to_string(A);
        st.Loudspeakers[0].LinkPort = std::to_string(B);
        st.Conferences[0] = TConfRecord{};
        st.Conferences[0].MemberCount = 2;
        st.Conferences[0].Members[0] = B;
        st.Conferences[0].Members[1] = C;
        EncodeTables(S.Session, st,
                     {ETable::SubscriberLines, ETable::ProgramNumbers, ETable::Redirections,
                      ETable::RoutingTables, ETable::Groups, ETable::DoorPhones,
                      ETable::Loudspeakers, ETable::QuickConferences});
        // The port model as after the door phone window: the ports given to the door phone
        // and the channel are marked so.
        BuildPorts(st);
        for (ETable t : {ETable::DoorPhones, ETable::Loudspeakers, ETable::ProgramNumbers})
            FindCodec(t)->Decode(S.Session, st);
    }
    std::size_t Index(int port) const {
        return static_cast<std::size_t>(LineIndex(*S.Store, port));
    }
    TLoadedStation S;
    int A = 0, B = 0, C = 0;
};

void ExpectLinesExchanged(const TDataStream& st, const TReferencedLines& t, bool doorAndChannel) {
    const int a = t.A, b = t.B, c = t.C;
    EXPECT_EQ(st.Lines[t.Index(b)].ALPriority, 3);
    EXPECT_TRUE(st.Lines[t.Index(b)].AL_FAXRegime);
    EXPECT_EQ(st.Lines[t.Index(a)].ALPriority, 1);
    EXPECT_EQ(st.Lines[t.Index(a)].ALDirectCall, "100");
    EXPECT_FALSE(st.Lines[t.Index(a)].AL_FAXRegime);
    EXPECT_EQ(FindPort(st, b)->AlData->AL_PrgNum, "105");
    EXPECT_EQ(FindPort(st, a)->AlData->AL_PrgNum, "");
    EXPECT_EQ(st.Redirections[t.Index(b)].Target, c);
    EXPECT_EQ(st.Redirections[t.Index(c)].Target, a);
    EXPECT_EQ(st.Redirections[t.Index(a)].Target, 0);
    const std::array<std::int32_t, 5> row{b, c, a, 0, 0};
    EXPECT_EQ(st.RoutingTables[0].Rows[0], row);
    EXPECT_EQ(st.Groups[0].GR_GroupCall[0], b);
    EXPECT_EQ(st.Groups[0].GR_GroupCall[1], c);
    if (doorAndChannel) {
        EXPECT_EQ(st.DoorPhones[0].LinkPort, std::to_string(b));
        EXPECT_EQ(st.Loudspeakers[0].LinkPort, std::to_string(a));
    }
    EXPECT_EQ(st.Conferences[0].MemberCount, 2);
    EXPECT_EQ(st.Conferences[0].Members[0], a);
    EXPECT_EQ(st.Conferences[0].Members[1], c);
}

TEST(CrossConnect, LineExchangeMovesTheLineAndEveryReferenceToIt) {
    TReferencedLines t("Dogwood");
    const TCrossPlan plan = ApplyCrossConnect(t.S.Session, *t.S.Store, t.A, t.B);
    ASSERT_TRUE(plan.Ok()) << plan.Refusal;

    ExpectLinesExchanged(*t.S.Store, t, true);
    EXPECT_EQ(Cp1251ToUtf8(t.S.Store->Names->GetPortName(LineIndex(*t.S.Store, t.B))), "Иванов");
    EXPECT_EQ(Cp1251ToUtf8(t.S.Store->Names->GetPortName(LineIndex(*t.S.Store, t.A))), "Петров");
    // The door phone's and the channel's ports follow them in the port model.
    EXPECT_EQ(FindPort(*t.S.Store, t.B)->Type, kPortTypeAttachedDoorPhone);
    EXPECT_EQ(FindPort(*t.S.Store, t.A)->Type, kPortTypeAttachedLoudspeaker);

    // Exactly the tables whose bytes changed are offered for the next write.
    const std::vector<ETable> expected{ETable::Redirections,  ETable::ProgramNumbers,
                                       ETable::RoutingTables, ETable::SubscriberLines,
                                       ETable::Groups,        ETable::DoorPhones,
                                       ETable::Loudspeakers,  ETable::QuickConferences};
    EXPECT_EQ(ChangedTables(t.S.Session), expected);
    EXPECT_EQ(plan.Tables, expected);

    // What reached the raw areas is what a fresh program loads from the saved file.
    const auto fresh = SavedAndLoaded(t.S);
    ExpectLinesExchanged(*fresh->Store, t, true);
}

TEST(CrossConnect, PlanNamesEachChangeAndTouchesNothing) {
    TReferencedLines t("Cedar");
    const std::string session = test::SessionPrint(t.S.Session);
    const std::string store = test::StorePrint(t.S.Session, *t.S.Store);
    const TCrossPlan plan = PlanCrossConnect(t.S.Session, *t.S.Store, t.A, t.B);
    ASSERT_TRUE(plan.Ok()) << plan.Refusal;
    EXPECT_EQ(test::SessionPrint(t.S.Session), session);
    EXPECT_EQ(test::StorePrint(t.S.Session, *t.S.Store), store);
    EXPECT_EQ(Cp1251ToUtf8(t.S.Store->Names->GetPortName(LineIndex(*t.S.Store, t.A))), "Иванов");

    const std::vector<std::string> lines = plan.Lines();
    const auto has = [&lines](const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    const std::string a = std::to_string(t.A), b = std::to_string(t.B), c = std::to_string(t.C);
    EXPECT_TRUE(has("Таблицы наведения; таблица наведения 1; строка 1: " + a + ", " + c + ", " + b +
                    " → " + b + ", " + c + ", " + a));
    EXPECT_TRUE(has("Установки АЛ; порт " + a + "; Приоритет: 3 → 1"));
    EXPECT_TRUE(has("Установки АЛ; порт " + b + "; Приоритет: 1 → 3"));
    EXPECT_TRUE(has("Программные номера; порт " + a + "; Программный номер: 105 → нет"));
    EXPECT_TRUE(has("Таблица переадресаций; порт " + c + "; Переадресация: " + b + " → " + a));
    EXPECT_TRUE(has("Имена линий; порт " + a + "; Имя: Иванов → Петров"));
    EXPECT_TRUE(has("Таблицы домофонов; домофон 1; Порт приписки домофона: " + a + " → " + b));
    EXPECT_NE(CrossConnectQuestion(plan).find(std::to_string(plan.Changes.size())),
              std::string::npos);
}

// Exchanging twice gives back every byte of the configuration file and every name.
void ExpectUndoneByExchangingBack(TLoadedStation& s, int a, int b, bool tablesChange = true) {
    const std::vector<std::uint8_t> before = test::SavedBytes(s.Session);
    const std::string nameA = s.Store->Names->GetPortName(LineIndex(*s.Store, a));
    const TCrossPlan there = ApplyCrossConnect(s.Session, *s.Store, a, b);
    ASSERT_TRUE(there.Ok()) << there.Refusal;
    ASSERT_FALSE(there.Changes.empty()) << a << " " << b;
    if (tablesChange) {
        ASSERT_FALSE(there.Tables.empty()) << a << " " << b;
        EXPECT_NE(test::SavedBytes(s.Session), before) << a << " " << b;
    }
    const TCrossPlan back = ApplyCrossConnect(s.Session, *s.Store, b, a);
    ASSERT_TRUE(back.Ok()) << back.Refusal;
    EXPECT_EQ(test::SavedBytes(s.Session), before) << a << " " << b;
    EXPECT_EQ(s.Store->Names->GetPortName(LineIndex(*s.Store, a)), nameA);
}

TEST(CrossConnect, ExchangeAndBackGivesTheSameFileOnEveryModel) {
    for (const char* model : {"Alder", "Birch", "Cedar", "Dogwood"}) {
        SCOPED_TRACE(model);
        TLoadedStation s(model);
        NoRedirections(s);
        s.Store->Names->SetPortName(
            LineIndex(*s.Store, PortsOfType(*s.Store, kPortTypeSubscriber)[0]),
            Utf8ToCp1251("Секретарь"));
        const std::vector<int> lines = PortsOfType(*s.Store, kPortTypeSubscriber);
        ExpectUndoneByExchangingBack(s, lines[0], lines[3]);
        const std::vector<int> trunks = PortsOfType(*s.Store, kPortTypeTrunk);
        ASSERT_GE(trunks.size(), 2u);
        ExpectUndoneByExchangingBack(s, trunks[0], trunks[1]);
        // The eight-port stations number system phones by slot: the built-in ones have theirs
        // past the button tables and the line table, so only their names move there.
        const std::vector<int> phones = PortsOfType(*s.Store, kPortTypeSta);
        ASSERT_GE(phones.size(), 2u);
        const bool large = TBroadcaster::IsLargeModel(model);
        if (!large) {
            s.Store->Names->SetPortName(LineIndex(*s.Store, phones[0]), Utf8ToCp1251("Охрана"));
            if (LineIndex(*s.Store, phones[0]) >= 150) continue;  // no name to move either
        }
        ExpectUndoneByExchangingBack(s, phones[0], phones[1], large);
    }
}

TEST(CrossConnect, TrunkExchangeMovesRecordFlagsBlocksAndButtons) {
    TLoadedStation s("Cedar");
    NoRedirections(s);
    TDataStream& st = *s.Store;
    const std::string& model = s.Session.Identity.ModelName;
    const std::vector<int> trunks = PortsOfType(st, kPortTypeTrunk);
    const int a = trunks[0], b = trunks[1], c = trunks[2];
    const auto ia =
        static_cast<std::size_t>(TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(a)));
    const auto ib =
        static_cast<std::size_t>(TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(b)));
    st.TrunkLines[ia].SL_AutoDial = "80";
    st.TrunkLines[ib].SL_AutoDial = "";
    st.TrunkLines[ia].SL_Block = c;
    st.TrunkLines[ib].SL_Block = -1;
    const auto ic =
        static_cast<std::size_t>(TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(c)));
    st.TrunkLines[ic].SL_Block = a;
    const std::size_t line =
        static_cast<std::size_t>(LineIndex(st, PortsOfType(st, kPortTypeSubscriber)[0]));
    st.Lines[line].ALSL_OFF[ia] = true;
    st.Lines[line].ALSL_OFF_Own[ia] = true;
    st.Lines[line].ALSL_OFF[ib] = false;
    st.Lines[line].ALSL_OFF_Own[ib] = false;
    st.Groups[2].GR_SLOFF[ia] = true;
    st.Groups[2].GR_SLOFF[ib] = false;
    st.StaButtons[0].Buttons[10] = "SL" + std::to_string(a);
    st.StaButtons[0].Buttons[11] = "SL" + std::to_string(c);
    st.StaButtons[1].Buttons[10] = "SL" + std::to_string(b);
    EncodeTables(s.Session, st,
                 {ETable::TrunkLines, ETable::SubscriberLines, ETable::Groups, ETable::StaButtons});

    const TCrossPlan plan = ApplyCrossConnect(s.Session, st, a, b);
    ASSERT_TRUE(plan.Ok()) << plan.Refusal;
    const auto check = [&](const TDataStream& d) {
        EXPECT_EQ(d.TrunkLines[ib].SL_AutoDial, "80");
        EXPECT_EQ(d.TrunkLines[ib].SL_Block, c);
        EXPECT_EQ(d.TrunkLines[ia].SL_Block, -1);
        EXPECT_EQ(d.TrunkLines[ic].SL_Block, b);
        EXPECT_TRUE(d.Lines[line].ALSL_OFF[ib]);
        EXPECT_TRUE(d.Lines[line].ALSL_OFF_Own[ib]);
        EXPECT_FALSE(d.Lines[line].ALSL_OFF[ia]);
        EXPECT_TRUE(d.Groups[2].GR_SLOFF[ib]);
        EXPECT_FALSE(d.Groups[2].GR_SLOFF[ia]);
        EXPECT_EQ(d.StaButtons[0].Buttons[10], "SL" + std::to_string(b));
        EXPECT_EQ(d.StaButtons[0].Buttons[11], "SL" + std::to_string(c));
        EXPECT_EQ(d.StaButtons[1].Buttons[10], "SL" + std::to_string(a));
    };
    check(st);
    const std::vector<ETable> expected{ETable::TrunkLines, ETable::SubscriberLines, ETable::Groups,
                                       ETable::StaButtons};
    EXPECT_EQ(ChangedTables(s.Session), expected);
    check(*SavedAndLoaded(s)->Store);
}

TEST(CrossConnect, SystemPhoneExchangeMovesItsButtonsAndItsLinks) {
    TLoadedStation s("Cedar");
    NoRedirections(s);
    TDataStream& st = *s.Store;
    const std::string& model = s.Session.Identity.ModelName;
    const std::vector<int> phones = PortsOfType(st, kPortTypeSta);
    const int a = phones[0], b = phones[1];
    const auto ia = static_cast<std::size_t>(TBroadcaster::GetLogSTA(model, a, s.Dialogs));
    const auto ib = static_cast<std::size_t>(TBroadcaster::GetLogSTA(model, b, s.Dialogs));
    ASSERT_LT(ib, s.Session.Identity.StaCount);
    st.StaButtons[ia].Buttons[0] = "101";
    st.StaButtons[ib].Buttons[0] = "102";
    st.StaButtons[ia].LinkedSta = -1;
    st.StaButtons[ib].LinkedSta = a;
    st.StaButtons[0].LinkedSta = b;
    EncodeTables(s.Session, st, {ETable::StaButtons});

    const TCrossPlan plan = ApplyCrossConnect(s.Session, st, a, b);
    ASSERT_TRUE(plan.Ok()) << plan.Refusal;
    const auto loaded = SavedAndLoaded(s);  // kept alive while the loop reads its store
    for (const TDataStream* d : {&st, loaded->Store.get()}) {
        EXPECT_EQ(d->StaButtons[ib].Buttons[0], "101");
        EXPECT_EQ(d->StaButtons[ia].Buttons[0], "102");
        EXPECT_EQ(d->StaButtons[ib].LinkedSta, -1);
        EXPECT_EQ(d->StaButtons[ia].LinkedSta, b);
        EXPECT_EQ(d->StaButtons[0].LinkedSta, a);
    }
    EXPECT_NE(std::find(plan.Tables.begin(), plan.Tables.end(), ETable::StaButtons),
              plan.Tables.end());
}

TEST(CrossConnect, EightPortTrunkButtonsKeepTheirShortForm) {
    TLoadedStation s("Birch");
    TDataStream& st = *s.Store;
    const std::vector<int> trunks = PortsOfType(st, kPortTypeTrunk);
    // Trunk lines on the first two boards: 200, 202 and 210, 212.
    ASSERT_GE(trunks.size(), 3u);
    ASSERT_EQ(trunks[0], 200);
    ASSERT_EQ(trunks[2], 210);
    st.StaButtons[0].Buttons[20] = "SL00";
    st.StaButtons[0].Buttons[21] = "SL10";
    EncodeTables(s.Session, st, {ETable::StaButtons});
    const std::string first = st.StaButtons[0].Buttons[20];
    const std::string third = st.StaButtons[0].Buttons[21];
    ASSERT_TRUE(ApplyCrossConnect(s.Session, st, trunks[0], trunks[2]).Ok());
    EXPECT_EQ(st.StaButtons[0].Buttons[20], third);
    EXPECT_EQ(st.StaButtons[0].Buttons[21], first);
}

TEST(CrossConnect, RefusedPairsChangeNothing) {
    TLoadedStation s("Cedar");
    TDataStream& st = *s.Store;
    const std::vector<int> lines = PortsOfType(st, kPortTypeSubscriber);
    const std::vector<int> phones = PortsOfType(st, kPortTypeSta);
    const std::vector<int> trunks = PortsOfType(st, kPortTypeTrunk);
    const std::vector<int> doors = PortsOfType(st, kPortTypeDoorPhone);
    // A line whose index lies past the station's subscriber-line table.
    int outside = 0;
    for (int p : lines)
        if (LineIndex(st, p) >= s.Session.Identity.SubscriberLineCount) outside = p;
    ASSERT_NE(outside, 0);
    st.Lines[static_cast<std::size_t>(LineIndex(st, lines[0]))].ALPriority = 4;
    EncodeTables(s.Session, st, {ETable::SubscriberLines});
    st.Names->SetPortName(LineIndex(st, lines[0]), Utf8ToCp1251("Касса"));

    const std::string session = test::SessionPrint(s.Session);
    const std::string store = test::StorePrint(s.Session, st);
    const struct {
        int A, B;
        const char* Why;
    } refused[] = {
        {lines[0], lines[0], "Выберите два разных порта."},
        {lines[0], phones[0], "разного типа"},
        {trunks[0], lines[1], "разного типа"},
        {phones[0], trunks[0], "разного типа"},
        {lines[0], doors[0], "не является линией станции"},
        {lines[0], 999, "не является линией станции"},
        {lines[0], outside, "некуда перенести"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(std::to_string(r.A) + " " + std::to_string(r.B));
        const TCrossPlan plan = ApplyCrossConnect(s.Session, st, r.A, r.B);
        EXPECT_FALSE(plan.Ok());
        EXPECT_NE(plan.Refusal.find(r.Why), std::string::npos) << plan.Refusal;
        EXPECT_EQ(plan.Lines(), std::vector<std::string>{plan.Refusal});
        EXPECT_EQ(test::SessionPrint(s.Session), session);
        EXPECT_EQ(test::StorePrint(s.Session, st), store);
        EXPECT_EQ(Cp1251ToUtf8(st.Names->GetPortName(LineIndex(st, lines[0]))), "Касса");
    }
}

TEST(CrossConnect, ATableThatRefusesTheResultLeavesEverythingAsItWas) {
    TReferencedLines t("Dogwood");
    TDataStream& st = *t.S.Store;
    // A program number too long for its entry, on a third line: the program number table
    // cannot be encoded, so the exchange of two numbered lines must not happen at all.
    FindPort(st, t.C)->AlData->AL_PrgNum = "12345";
    const std::string session = test::SessionPrint(t.S.Session);
    const std::string store = test::StorePrint(t.S.Session, st);
    const TCrossPlan plan = ApplyCrossConnect(t.S.Session, st, t.A, t.B);
    EXPECT_FALSE(plan.Ok());
    EXPECT_NE(plan.Refusal.find("Программные номера"), std::string::npos) << plan.Refusal;
    EXPECT_EQ(test::SessionPrint(t.S.Session), session);
    EXPECT_EQ(test::StorePrint(t.S.Session, st), store);
    EXPECT_EQ(Cp1251ToUtf8(st.Names->GetPortName(LineIndex(st, t.A))), "Иванов");
}

TEST(CrossConnect, ChoicesListPortsOfOneKindWithNumberAndName) {
    TReferencedLines t("Cedar");
    const std::vector<TCrossPortChoice> lines = CrossPortChoices(*t.S.Store, ECrossKind::Line);
    const auto caption = [&lines](int port) {
        for (const TCrossPortChoice& c : lines)
            if (c.Number == port) return c.Caption;
        return std::string("(absent)");
    };
    EXPECT_EQ(caption(t.A), std::to_string(t.A) + " (105) Иванов");
    EXPECT_EQ(caption(t.B), std::to_string(t.B) + " Петров");
    for (ECrossKind kind : {ECrossKind::Line, ECrossKind::SystemPhone, ECrossKind::Trunk})
        for (const TCrossPortChoice& c : CrossPortChoices(*t.S.Store, kind))
            EXPECT_EQ(CrossKindOf(*FindPort(*t.S.Store, c.Number)), kind) << c.Caption;
    EXPECT_EQ(CrossPortChoices(*t.S.Store, ECrossKind::Trunk).size(),
              PortsOfType(*t.S.Store, kPortTypeTrunk).size());
}

}  // namespace
}  // namespace zarnik
