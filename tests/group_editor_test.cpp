// The group panel's rules without widgets: the direct-call number, where a forbidden trunk line
// lands, the two lists closed up, the rows a station does not keep, and commits that are
// applied whole or not at all.
#include "editors/group_editor.h"

#include <gtest/gtest.h>

#include "codecs/subscriber_line_codec.h"
#include "editors/name_rules.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

struct TStation : test::TLoadedStation {
    explicit TStation(const std::string& model) : TLoadedStation(model) {
        Dialogs = test::TScriptedDialogs(true);
    }
    std::string Print() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
    const TRawSlot& Block(int group) {
        return Session.Area(ETable::Groups).Slots[static_cast<std::size_t>(group)];
    }
};

TEST(GroupEditor, DirectCallHoldsFourDigitsAndARefusedNumberChangesNothing) {
    EXPECT_TRUE(GroupDirectCallValid(""));
    EXPECT_TRUE(GroupDirectCallValid("0"));
    EXPECT_TRUE(GroupDirectCallValid("1234"));
    EXPECT_FALSE(GroupDirectCallValid("12a"));
    EXPECT_FALSE(GroupDirectCallValid("12345"));
    // The line block's "002xx" form has no room in the group block, on any model.
    EXPECT_FALSE(GroupDirectCallValid("00215"));

    for (const char* model : {"Dogwood", "Alder"}) {
        TStation s(model);
        const std::string before = s.Print();
        TGroupView view = GroupView(s.Session, *s.Store, 1);
        view.DirectCall = "00215";
        view.Settings[al_setting::DTMF] = !view.Settings[al_setting::DTMF];
        s.Dialogs.ExpectMessage(kBadDirectCallMessage);
        EXPECT_FALSE(CommitGroup(s.Session, *s.Store, 1, view, s.Dialogs)) << model;
        EXPECT_EQ(s.Print(), before) << model;
        EXPECT_TRUE(s.Dialogs.AllSeen());

        view.DirectCall = "0215";
        ASSERT_TRUE(CommitGroup(s.Session, *s.Store, 1, view, s.Dialogs)) << model;
        EXPECT_EQ(s.Store->Groups[1].GR_DirectCall, "0215");
        EXPECT_EQ(s.Block(1).Bytes[9], 0xA2);  // digits 1 and 2, 0 as 0xA
        EXPECT_EQ(s.Block(1).Bytes[8], 0x15);
        EXPECT_TRUE(s.Session.Changed(ETable::Groups));
    }
}

TEST(GroupEditor, ForbiddenTrunkLinesLandAtTheTrunkLineIndexOfTheirPort) {
    // Eight-port: trunk lines at positions 0 and 2, two per board; ten-port: every even port.
    for (const auto& [model, port, index] :
         {std::tuple{"Alder", 202, 1}, std::tuple{"Dogwood", 206, 3}}) {
        TStation s(model);
        TGroup& group = s.Store->Groups[4];
        group.GR_SLOFF = {};
        TGroupView view = GroupView(s.Session, *s.Store, 4);
        ASSERT_EQ(TBroadcaster::GetSLIndexFromPortNum(model, std::to_string(port)), index);
        bool found = false;
        for (TGroupTrunk& t : view.Trunks) {
            EXPECT_EQ(t.Forbidden, false);
            if (t.Port == port) t.Forbidden = found = true;
        }
        ASSERT_TRUE(found) << model << " has no trunk line at " << port;
        ASSERT_TRUE(CommitGroup(s.Session, *s.Store, 4, view, s.Dialogs));
        for (std::size_t k = 0; k < kAlTrunkLineSlots; ++k)
            EXPECT_EQ(group.GR_SLOFF[k], k == static_cast<std::size_t>(index)) << model << " " << k;
        // Entries 0..23 travel in bytes 3..5 of the block.
        EXPECT_EQ(s.Block(4).Bytes[3], 1u << index) << model;
        EXPECT_TRUE(GroupView(s.Session, *s.Store, 4) == view);
    }
}

TEST(GroupEditor, ListsAreClosedUpAndEncodedInOrder) {
    TStation s("Dogwood");
    TGroupView view = GroupView(s.Session, *s.Store, 5);
    view.GroupCall = {0, 203, 0, 0, 207};
    view.Intercept = {0, 0, 12, 0, 29};
    view.DayTable = 2;
    ASSERT_TRUE(CommitGroup(s.Session, *s.Store, 5, view, s.Dialogs));
    const TGroup& g = s.Store->Groups[5];
    EXPECT_EQ(g.GR_GroupCall, (std::array<std::int32_t, 5>{203, 207, 0, 0, 0}));
    EXPECT_EQ(g.GR_GroupCallCount, 2);
    EXPECT_EQ(g.GR_AdditionalIntercept, (std::array<std::int16_t, 5>{12, 29, 0, 0, 0}));
    EXPECT_EQ(g.GR_AdditionalInterceptCount, 2);
    // Lines as line number (port - 199 on ten-port boards), groups as number - 9, each list
    // closed by a 0; then the ten-port trunk bytes and the day table.
    const auto& b = s.Block(5).Bytes;
    EXPECT_EQ((std::vector<int>{b[10], b[11], b[12], b[13], b[14], b[15]}),
              (std::vector<int>{4, 8, 0, 3, 20, 0}));
    EXPECT_EQ(b[16 + 5], 2);
    // The panel shows the lists as stored.
    EXPECT_EQ(GroupView(s.Session, *s.Store, 5).GroupCall, (std::array<int, 5>{203, 207, 0, 0, 0}));
}

TEST(GroupEditor, RowsTheStationDoesNotKeepStayAsTheRecordHoldsThem) {
    TStation small("Alder");
    TGroupView view = GroupView(small.Session, *small.Store, 0);
    const bool df3 = small.Store->Groups[0].GR_Df[2];
    view.Settings[al_setting::Df01 + 2] = !df3;  // eight-port stations keep two door phones
    view.Settings[al_setting::Df01 + 1] = !view.Settings[al_setting::Df01 + 1];
    ASSERT_TRUE(CommitGroup(small.Session, *small.Store, 0, view, small.Dialogs));
    EXPECT_EQ(small.Store->Groups[0].GR_Df[2], df3);
    EXPECT_EQ(small.Store->Groups[0].GR_Df[1], view.Settings[al_setting::Df01 + 1]);

    TStation old("Cedar");
    old.SetModel("Cedar", "24,2");
    EXPECT_FALSE(GroupSettingShown(old.Session, al_setting::RusSTA));
    EXPECT_FALSE(GroupSettingSaved(old.Session, al_setting::w_extnum_1th));
    view = GroupView(old.Session, *old.Store, 2);
    const bool rus = old.Store->Groups[2].GR_RusSTA;
    const bool book = old.Store->Groups[2].GR_b_extnum;
    view.Settings[al_setting::RusSTA] = !rus;
    view.Settings[al_setting::b_extnum] = !book;
    view.Priority = 7;
    ASSERT_TRUE(CommitGroup(old.Session, *old.Store, 2, view, old.Dialogs));
    EXPECT_EQ(old.Store->Groups[2].GR_RusSTA, rus);
    EXPECT_EQ(old.Store->Groups[2].GR_b_extnum, book);
    EXPECT_EQ(old.Store->Groups[2].GR_Priority, 7);
}

TEST(GroupEditor, NameIsStoredAsCp1251OrRefusedWithNothingChanged) {
    TStation s("Cedar");
    TGroupView view = GroupView(s.Session, *s.Store, 3);
    view.Name = std::string(kMaxNameChars + 1, 'x');
    view.Priority = 5;
    const std::string before = s.Print();
    s.Dialogs.ExpectMessage();
    EXPECT_FALSE(CommitGroup(s.Session, *s.Store, 3, view, s.Dialogs));
    EXPECT_EQ(s.Print(), before);
    EXPECT_EQ(s.Dialogs.Seen.back().Caption, "Ошибка");

    // An unchanged group is not offered for the next write; a new name alone changes no table.
    view = GroupView(s.Session, *s.Store, 3);
    view.Name = "Бухгалтерия";
    ASSERT_TRUE(CommitGroup(s.Session, *s.Store, 3, view, s.Dialogs));
    EXPECT_EQ(s.Store->Names->GetGroupName(3), Utf8ToCp1251("Бухгалтерия"));
    EXPECT_FALSE(s.Session.Changed(ETable::Groups));
    EXPECT_TRUE(s.Dialogs.AllSeen());
}

TEST(GroupEditor, ChoiceListsOfferTheStationAndKeepAStoredValueTheyLack) {
    TStation s("Cedar");
    const auto intercepts = InterceptChoices(*s.Store, 0);
    ASSERT_EQ(intercepts.size(), 21u);
    EXPECT_EQ(intercepts[1].Value, 10);
    EXPECT_EQ(intercepts[20].Value, 29);
    EXPECT_EQ(intercepts[1].Text.substr(0, 4), "10  ");

    const auto lines = GroupCallChoices(*s.Store, 0);
    EXPECT_EQ(lines.front().Value, 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const TPortPtr p = FindPort(*s.Store, lines[i].Value);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Type, kPortTypeSubscriber);
    }
    const auto kept = GroupCallChoices(*s.Store, 999);
    EXPECT_EQ(kept.back().Value, 999);
    EXPECT_EQ(GroupChoiceIndex(kept, 999), static_cast<int>(kept.size()) - 1);

    s.Session.Identity.RoutingTableCount = 3;
    EXPECT_EQ(GroupRoutingChoices(s.Session, 0).size(), 4u);
    EXPECT_EQ(GroupRoutingChoices(s.Session, 9).back().Value, 9);
    EXPECT_EQ(GroupPriorityChoices(42).back().Value, 42);
}

}  // namespace
}  // namespace zarnik
