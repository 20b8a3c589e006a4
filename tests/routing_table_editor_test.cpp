// The rules behind the routing tables window: the list, the lines a cell may take, rows that
// close up, and a table stored with its name or not at all.
#include "editors/routing_table_editor.h"

#include <gtest/gtest.h>

#include "codecs/routing_table_codec.h"
#include "editors/name_rules.h"
#include "model/port.h"
#include "platform/text_1251.h"
#include "support/big_station.h"

namespace zarnik {
namespace {

using test::TBigStation;

TEST(RoutingTableEditor, ListsCellsAndTheLinesACellMayTake) {
    TBigStation s;
    s.Store->Names->SetNavedenName(9, Utf8ToCp1251("Склад"));
    s.Store->Names->SetPortName(5, Utf8ToCp1251("Касса"));
    const auto lines = RoutingListLines(s.Session, *s.Store);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "01  ");
    EXPECT_EQ(lines[9], "10  Склад");
    EXPECT_EQ(LinePortText(s.Session, *s.Store, 205), "205 (Касса)");
    EXPECT_EQ(LinePortText(s.Session, *s.Store, 0), "");

    const auto choices = RoutingPortChoices(s.Session, *s.Store);
    EXPECT_EQ(choices.front(), (TPortChoice{0, ""}));
    // Subscriber lines and system phones, no door phones, none past line 255.
    EXPECT_EQ(choices[1].Port, 200);
    bool sawSta = false;
    for (std::size_t i = 1; i < choices.size(); ++i) {
        const TPortPtr p = FindPort(*s.Store, choices[i].Port);
        ASSERT_TRUE(p);
        EXPECT_TRUE(p->Type == kPortTypeSubscriber || p->Type == kPortTypeSta);
        EXPECT_LE(p->Number - 199, 255);
        sawSta |= p->Type == kPortTypeSta;
    }
    EXPECT_TRUE(sawSta);
    EXPECT_EQ(choices.back().Port, 454);  // line 255
}

TEST(RoutingTableEditor, ARowClosesUpSoNoLineIsLostWhenEncoded) {
    TNavedenRecord t;
    t = WithCell(t, 0, 3, 205);
    EXPECT_EQ(t.Rows[0], (std::array<std::int32_t, 5>{205, 0, 0, 0, 0}));
    t = WithCell(t, 0, 1, 207);
    t = WithCell(t, 0, 2, 209);
    t = WithCell(t, 0, 0, 0);
    EXPECT_EQ(t.Rows[0], (std::array<std::int32_t, 5>{207, 209, 0, 0, 0}));
    t = WithCell(t, 0, 0, 211);  // replaced, not inserted
    EXPECT_EQ(t.Rows[0], (std::array<std::int32_t, 5>{211, 209, 0, 0, 0}));
    EXPECT_EQ(DecodeNavedenBlock(EncodeNavedenBlock(t, "Dogwood"), "Dogwood").Rows, t.Rows);
    EXPECT_EQ(WithCell(t, 4, 0, 205).Rows, t.Rows);  // no such cell
}

TEST(RoutingTableEditor, ARefusedNameStoresNeitherTheNameNorTheTable) {
    TBigStation s;
    TNavedenRecord next;
    next.Rows[0][0] = 203;
    test::TScriptedDialogs dialogs;
    const std::string tooLong(kMaxNameChars + 1, 'x');
    dialogs.ExpectMessage(CheckName(tooLong).Error);
    EXPECT_FALSE(StoreRoutingTable(s.Session, *s.Store, 2, next, tooLong, dialogs));
    EXPECT_EQ(s.Store->RoutingTables[2].Rows[0][0], 0);
    EXPECT_FALSE(s.Session.Changed(ETable::RoutingTables));
    EXPECT_EQ(s.Store->Names->GetNavedenName(2), "");
    EXPECT_FALSE(StoreRoutingTable(s.Session, *s.Store, 12, next, "", dialogs));  // no such table

    EXPECT_TRUE(StoreRoutingTable(s.Session, *s.Store, 2, next, "Ночь", dialogs));
    EXPECT_EQ(s.Store->RoutingTables[2].Rows[0][0], 203);
    EXPECT_TRUE(s.Session.Changed(ETable::RoutingTables));
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetNavedenName(2)), "Ночь");
    EXPECT_TRUE(dialogs.AllSeen());
}

}  // namespace
}  // namespace zarnik
