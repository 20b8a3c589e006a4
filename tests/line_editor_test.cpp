// The subscriber line panel's rules without widgets: rows by model and version, the switch
// rule, the direct-call rules, what a commit stores and refuses, and the window's item list.
#include "editors/line_editor.h"

#include <gtest/gtest.h>

#include "codecs/subscriber_line_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"
#include "support/loaded_station.h"
#include "support/scripted_dialogs.h"

namespace zarnik {
namespace {

// A built-in station of the model and working-program version, read into an offline session.
struct TStation : test::TOfflineSession {
    TStation(const std::string& model, const std::string& version = "24,8")
        : TOfflineSession(model, version) {
        test::TakeStation(sim::MakeBuiltinStation(model, false, version), Session, *Store);
    }
    // The first subscriber line port whose record the table carries.
    int FirstLine() const {
        for (const TPortPtr& p : Store->Ports)
            if (LineRecordIndex(Session, *Store, p->Number) >= 0) return p->Number;
        return 0;
    }
    TAL& Record(int port) {
        return Store->Lines[static_cast<std::size_t>(LineRecordIndex(Session, *Store, port))];
    }
    TLineView View(int port) { return LineView(Session, *Store, port, Trunks()); }
    std::vector<TLineTrunkRow> Trunks() const { return LineTrunkRows(*Store); }
    bool Commit(int port, const TLineView& view) {
        return CommitLine(Session, *Store, port, Trunks(), view, Dialogs);
    }
    std::string Prints() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
    test::TScriptedDialogs Dialogs;
};

bool HasRow(const std::vector<TLineSettingRow>& rows, int setting) {
    for (const TLineSettingRow& r : rows)
        if (r.Setting == setting) return true;
    return false;
}

TEST(LineEditorDirectCall, DogwoodTakesTheTwoFiveDigitFormsAndRefusesOthersChangingNothing) {
    TStation s("Dogwood");
    const int port = s.FirstLine();
    TLineView view = s.View(port);
    view.DirectCall = "00215";
    ASSERT_TRUE(s.Commit(port, view));
    EXPECT_EQ(s.Record(port).ALDirectCall, "00215");
    EXPECT_TRUE(s.Session.Changed(ETable::SubscriberLines));
    const TRawSlot& slot =
        s.Session.Area(ETable::SubscriberLines)
            .Slots[static_cast<std::size_t>(LineRecordIndex(s.Session, *s.Store, port))];
    EXPECT_EQ(slot.Bytes[9], 0xAB);
    EXPECT_EQ(slot.Bytes[8], 0x15);

    const std::string before = s.Prints();
    view.DirectCall = "00415";
    view.Priority = 3;  // refused together with the number
    s.Dialogs.ExpectMessage(kBadDirectCallMessage);
    EXPECT_FALSE(s.Commit(port, view));
    EXPECT_EQ(s.Prints(), before);
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

TEST(LineEditorDirectCall, AlderRefusesEveryFiveDigitNumber) {
    TStation s("Alder");
    const int port = s.FirstLine();
    const std::string before = s.Prints();
    for (const char* number : {"00215", "00315", "12345"}) {
        TLineView view = s.View(port);
        view.DirectCall = number;
        s.Dialogs.ExpectMessage(kBadDirectCallMessage);
        EXPECT_FALSE(s.Commit(port, view)) << number;
    }
    EXPECT_EQ(s.Prints(), before);
    TLineView view = s.View(port);
    view.DirectCall = "1024";
    EXPECT_TRUE(s.Commit(port, view));
    EXPECT_EQ(s.Record(port).ALDirectCall, "1024");
}

TEST(LineEditorDirectCall, TheFieldTakesDigitsAndAFifthOnlyAfterASecondZero) {
    EXPECT_TRUE(DirectCallTextAccepted(""));
    EXPECT_TRUE(DirectCallTextAccepted("1234"));
    EXPECT_TRUE(DirectCallTextAccepted("00215"));
    EXPECT_TRUE(DirectCallTextAccepted("10999"));
    EXPECT_FALSE(DirectCallTextAccepted("12345"));
    EXPECT_FALSE(DirectCallTextAccepted("002155"));
    EXPECT_FALSE(DirectCallTextAccepted("12a"));
    EXPECT_FALSE(DirectCallTextAccepted("1*"));
}

TEST(LineEditorSwitch, FollowingTheGroupStoresOwnFlagAndValueOffAndUntouchedRowsKeepTheirBits) {
    TStation s("Dogwood");
    const int port = s.FirstLine();
    TAL& al = s.Record(port);
    al.AL_Own[al_setting::DTMF] = true;
    al.AL_DTMF = true;
    // A following row whose value bit is set: the commit leaves the bit as the table had it.
    al.AL_Own[al_setting::FAXRegime] = false;
    al.AL_FAXRegime = true;
    TLineView view = s.View(port);

    bool own = view.Own[al_setting::DTMF];
    bool checked = view.Value[al_setting::DTMF];
    ToggleSwitch(own, checked);
    EXPECT_FALSE(own);
    EXPECT_FALSE(checked);
    EXPECT_STREQ(SwitchText(own), "->");
    ToggleSwitch(own, checked);
    EXPECT_STREQ(SwitchText(own), "  ");
    EXPECT_FALSE(checked);  // coming back to its own value does not check the box
    ToggleSwitch(own, checked);
    view.Own[al_setting::DTMF] = own;
    view.Value[al_setting::DTMF] = checked;
    view.Value[al_setting::FAXRegime] = false;  // as the panel shows a following row

    ASSERT_TRUE(s.Commit(port, view));
    EXPECT_FALSE(s.Record(port).AL_Own[al_setting::DTMF]);
    EXPECT_FALSE(s.Record(port).AL_DTMF);
    EXPECT_FALSE(s.Record(port).AL_Own[al_setting::FAXRegime]);
    EXPECT_TRUE(s.Record(port).AL_FAXRegime);
}

TEST(LineEditorRows, VersionRowsAppearFromTheirVersionsAndAbsentRowsKeepTheRecord) {
    const auto old = LineSettingRows("Dogwood", "24,2");
    EXPECT_FALSE(HasRow(old, al_setting::RusSTA));
    EXPECT_FALSE(HasRow(old, al_setting::mBAdapter_ON));
    for (const TLineSettingRow& r : old)
        EXPECT_EQ(r.Editable, r.Setting < al_setting::w_extnum_1th) << r.Caption;
    EXPECT_TRUE(HasRow(LineSettingRows("Dogwood", "24,3"), al_setting::RusSTA));
    EXPECT_FALSE(HasRow(LineSettingRows("Dogwood", "28,5"), al_setting::mBAdapter_ON));
    EXPECT_TRUE(HasRow(LineSettingRows("Dogwood", "28,6"), al_setting::mBAdapter_ON));
    for (const TLineSettingRow& r : LineSettingRows("Alder", "28,6")) EXPECT_TRUE(r.Editable);

    TStation s("Dogwood", "24,2");
    const int port = s.FirstLine();
    TAL& al = s.Record(port);
    al.AL_RusSTA = true;
    al.AL_Own[al_setting::RusSTA] = true;
    al.AL_b_extnum = true;
    al.AL_Own[al_setting::b_extnum] = true;
    TLineView view = s.View(port);
    view.Own[al_setting::RusSTA] = false;
    view.Value[al_setting::RusSTA] = false;
    view.Value[al_setting::b_extnum] = false;
    view.Value[al_setting::SecondJoining] = true;
    view.Own[al_setting::SecondJoining] = true;
    ASSERT_TRUE(s.Commit(port, view));
    EXPECT_TRUE(s.Record(port).AL_RusSTA);
    EXPECT_TRUE(s.Record(port).AL_Own[al_setting::RusSTA]);
    EXPECT_TRUE(s.Record(port).AL_b_extnum);
    EXPECT_TRUE(s.Record(port).AL_SecondJoining);
}

TEST(LineEditorRows, DoorPhoneRowsFollowTheFamilyAndTheSmallFamilyKeepsTheOtherTwo) {
    const auto small = LineDoorPhoneRows("Alder");
    ASSERT_EQ(small.size(), 2u);
    EXPECT_EQ(small[0].Caption, "Домофон 01");
    EXPECT_EQ(small[1].Caption, "Домофон 02");
    const auto large = LineDoorPhoneRows("Cedar");
    ASSERT_EQ(large.size(), 4u);
    EXPECT_EQ(large[3].Caption, "Домофон 04");
    EXPECT_EQ(large[3].Setting, al_setting::Df01 + 3);

    TStation s("Birch");
    const int port = s.FirstLine();
    s.Record(port).AL_Df03 = true;
    s.Record(port).AL_Own[al_setting::Df01 + 2] = true;
    TLineView view = s.View(port);
    view.Value[al_setting::Df01 + 2] = false;
    view.Own[al_setting::Df01 + 1] = true;
    view.Value[al_setting::Df01 + 1] = true;
    ASSERT_TRUE(s.Commit(port, view));
    EXPECT_TRUE(s.Record(port).AL_Df03);
    EXPECT_TRUE(s.Record(port).AL_Df02);
}

TEST(LineEditorTrunks, RowsAreTheTrunkPortsAndACommitStoresAtTheirTrunkIndex) {
    TStation s("Dogwood");
    const auto rows = s.Trunks();
    int trunkPorts = 0;
    for (const TPortPtr& p : s.Store->Ports) trunkPorts += p->Type == kPortTypeTrunk;
    ASSERT_EQ(static_cast<int>(rows.size()), trunkPorts);
    ASSERT_GE(rows.size(), 4u);
    for (const TLineTrunkRow& r : rows)
        EXPECT_EQ(r.SlIndex,
                  TBroadcaster::GetSLIndexFromPortNum("Dogwood", std::to_string(r.Port)));

    const int port = s.FirstLine();
    TLineView view = s.View(port);
    view.TrunkOwn[3] = true;
    view.TrunkValue[3] = true;
    view.TrunkOwn[1] = true;  // its own value, not forbidden
    view.TrunkValue[1] = false;
    ASSERT_TRUE(s.Commit(port, view));
    const TAL& al = s.Record(port);
    EXPECT_TRUE(al.ALSL_OFF[static_cast<std::size_t>(rows[3].SlIndex)]);
    EXPECT_TRUE(al.ALSL_OFF_Own[static_cast<std::size_t>(rows[3].SlIndex)]);
    EXPECT_FALSE(al.ALSL_OFF[static_cast<std::size_t>(rows[1].SlIndex)]);
    EXPECT_TRUE(al.ALSL_OFF_Own[static_cast<std::size_t>(rows[1].SlIndex)]);
    // Decoding the encoded table gives the same rows back.
    DecodeAlTable(s.Session, *s.Store);
    EXPECT_EQ(s.View(port), view);
}

TEST(LineEditorCommit, NamesTravelAsWindows1251AndRefusedNamesChangeNothing) {
    TStation s("Cedar");
    const int port = s.FirstLine();
    const int nameIndex = TBroadcaster::GetLineNumFromPortNum("Cedar", std::to_string(port)) - 1;
    TLineView view = s.View(port);
    view.Name = "Бухгалтерия";
    ASSERT_TRUE(s.Commit(port, view));
    EXPECT_EQ(s.Store->Names->GetPortName(nameIndex), Utf8ToCp1251("Бухгалтерия"));
    EXPECT_FALSE(s.Session.Changed(ETable::SubscriberLines));  // only the name changed

    const std::string before = s.Prints();
    view.Name = std::string(kMaxNameChars + 1, 'x');
    view.Priority = 5;
    s.Dialogs.ExpectMessage(CheckName(view.Name).Error);
    EXPECT_FALSE(s.Commit(port, view));
    view.Name = "Склад ☎";
    s.Dialogs.ExpectMessage(CheckName(view.Name).Error);
    EXPECT_FALSE(s.Commit(port, view));
    EXPECT_EQ(s.Prints(), before);
    EXPECT_EQ(s.Store->Names->GetPortName(nameIndex), Utf8ToCp1251("Бухгалтерия"));
}

TEST(LineEditorCommit, ALineTheTableDoesNotCarryIsRefused) {
    TStation s("Dogwood");
    int beyond = 0;
    for (const TPortPtr& p : s.Store->Ports)
        if (p->Type == kPortTypeSubscriber && LineRecordIndex(s.Session, *s.Store, p->Number) < 0)
            beyond = p->Number;
    if (beyond == 0) GTEST_SKIP() << "every line of this station is carried";
    const std::string before = s.Prints();
    TLineView view = s.View(beyond);
    view.Priority = 2;
    s.Dialogs.ExpectMessage(kLineNotInTableMessage);
    EXPECT_FALSE(s.Commit(beyond, view));
    EXPECT_EQ(s.Prints(), before);
}

TEST(LineEditorList, LinesAndTrunksInPortOrderWithNamesAndNumbersThenTheGroups) {
    TStation s("Alder");
    const int line = s.FirstLine();
    TPortPtr linePort = FindPort(*s.Store, line);
    linePort->AlData->AL_PrgNum = "105";
    s.Store->Names->SetPortName(linePort->Line - 1, Utf8ToCp1251("Секретарь"));
    s.Store->Names->SetGroupName(1, Utf8ToCp1251("Склад"));
    const auto items = GroupsLinesItems(
        *s.Store, {EGroupsLinesKind::Line, EGroupsLinesKind::Trunk, EGroupsLinesKind::Group});
    int previousPort = 0;
    int lines = 0;
    int trunks = 0;
    int groups = 0;
    for (const TGroupsLinesItem& item : items) {
        if (item.Kind == EGroupsLinesKind::Group) {
            EXPECT_EQ(item.Item, groups++);
            continue;
        }
        EXPECT_EQ(groups, 0) << "groups come last";
        EXPECT_GT(item.Item, previousPort);
        previousPort = item.Item;
        const TPortPtr p = FindPort(*s.Store, item.Item);
        ASSERT_TRUE(p);
        EXPECT_EQ(item.Kind == EGroupsLinesKind::Trunk, p->Type == kPortTypeTrunk) << item.Text;
        (item.Kind == EGroupsLinesKind::Trunk ? trunks : lines)++;
        if (item.Item == line) {
            EXPECT_EQ(item.Text, "АЛ " + std::to_string(line) + " (105)  Секретарь");
        }
    }
    EXPECT_EQ(groups, kGroupCount);
    EXPECT_EQ(items[items.size() - kGroupCount + 1].Text, "Группа 11  Склад");
    EXPECT_EQ(items.back().Text, "Группа 29");
    EXPECT_EQ(trunks, s.Session.Identity.TrunkLineCount);
    EXPECT_EQ(lines, s.Session.Identity.SubscriberLineCount);
    EXPECT_EQ(GroupsLinesItems(*s.Store, {EGroupsLinesKind::Line}).size(), std::size_t(lines));
}

}  // namespace
}  // namespace zarnik
