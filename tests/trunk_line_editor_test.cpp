// The trunk line grid's and panel's rules without widgets: blocked partners, the auto-dial key
// rule by version, the pause setting below 24,4, and saves that are applied whole or not at all.
#include "editors/trunk_line_editor.h"

#include <gtest/gtest.h>

#include "editors/name_rules.h"
#include "platform/text_1251.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

struct TStation : test::TLoadedStation {
    explicit TStation(const std::string& version = "24,8") : TLoadedStation("Cedar") {
        Session.Identity.Version = version;
        Ports = TrunkPorts(Session, *Store);
    }
    TSL& Record(int port) {
        return Store->TrunkLines[static_cast<std::size_t>(TrunkRecordIndex(Session, port))];
    }
    std::string Print() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
    std::vector<int> Ports;
    test::TScriptedDialogs Dlg;
};

std::vector<std::string> BlockColumn(const TTrunkGrid& grid) {
    std::vector<std::string> cells;
    for (int r = 0; r < grid.RowCount(); ++r) cells.push_back(grid.Cell(r, kTrunkBlockColumn));
    return cells;
}

TEST(TrunkLineEditor, RowsAreTheTrunkPortsAndTheirCellsShowTheRecords) {
    TStation s;
    ASSERT_GE(s.Ports.size(), 4u);
    EXPECT_EQ(s.Ports[0], 200);
    EXPECT_EQ(s.Ports[1], 202);  // the ten-port family: trunk lines on even positions
    TSL& r = s.Record(202);
    r = TSL{};
    r.SL_FAX = true;
    r.SL_Dir9 = true;
    r.SL_MGDigit = 0;
    r.SL_AutoDial = "8*0P";
    r.SL_NightNaveden = 3;
    const TTrunkGrid grid(s.Session, *s.Store);
    ASSERT_EQ(grid.RowCount(), static_cast<int>(s.Ports.size()));
    const TTrunkRow& row = grid.Row(1);
    EXPECT_EQ(row[kTrunkPortColumn], "202");
    EXPECT_EQ(row[3], "X");
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[18], "X");
    EXPECT_EQ(row[kTrunkMGDigitColumn], "0");
    EXPECT_EQ(row[kTrunkTypeColumn], "1");
    EXPECT_EQ(row[kTrunkAutoDialColumn], "8*0P");
    EXPECT_EQ(row[kTrunkDayColumn], "");
    EXPECT_EQ(row[kTrunkNightColumn], "3");
    EXPECT_EQ(row[kTrunkBlockColumn], "");
    EXPECT_EQ(TrunkColumnLegend(12), "12 - Запрет паузы после цифры межгорода при автонаборе");
    EXPECT_EQ(BlockChoices(s.Session, *s.Store).front(), "");
    EXPECT_EQ(BlockChoices(s.Session, *s.Store).size(), s.Ports.size() + 1);
}

TEST(TrunkLineEditor, PairingFillsBothRowsEmptyingEmptiesBothAndATakenPartnerIsRefused) {
    TStation s;
    TTrunkGrid grid(s.Session, *s.Store);
    EXPECT_TRUE(grid.Choose(0, kTrunkBlockColumn, ""));  // the demo station pairs 200 and 202
    for (const std::string& cell : BlockColumn(grid)) EXPECT_EQ(cell, "");

    EXPECT_TRUE(grid.Choose(0, kTrunkBlockColumn, "202"));
    EXPECT_EQ(grid.Cell(0, kTrunkBlockColumn), "202");
    EXPECT_EQ(grid.Cell(1, kTrunkBlockColumn), "200");
    EXPECT_TRUE(grid.Choose(0, kTrunkBlockColumn, ""));
    EXPECT_EQ(grid.Cell(0, kTrunkBlockColumn), "");
    EXPECT_EQ(grid.Cell(1, kTrunkBlockColumn), "");

    // 202 paired with 204: line 200 may not take 202, nor itself.
    EXPECT_TRUE(grid.Choose(1, kTrunkBlockColumn, "204"));
    const auto paired = BlockColumn(grid);
    EXPECT_FALSE(grid.Choose(0, kTrunkBlockColumn, "202"));
    EXPECT_FALSE(grid.Choose(0, kTrunkBlockColumn, "200"));
    EXPECT_EQ(BlockColumn(grid), paired);

    // A line that takes a new partner is no longer named by its former one.
    EXPECT_TRUE(grid.Choose(1, kTrunkBlockColumn, "206"));
    EXPECT_EQ(grid.Cell(1, kTrunkBlockColumn), "206");
    EXPECT_EQ(grid.Cell(3, kTrunkBlockColumn), "202");
    EXPECT_EQ(grid.Cell(2, kTrunkBlockColumn), "");

    ASSERT_TRUE(grid.Save(s.Session, *s.Store, s.Dlg));
    EXPECT_EQ(s.Record(202).SL_Block, 206);
    EXPECT_EQ(s.Record(206).SL_Block, 202);
    EXPECT_EQ(s.Record(204).SL_Block, -1);
    EXPECT_TRUE(s.Session.Changed(ETable::TrunkLines));
    EXPECT_FALSE(grid.Dirty(s.Session, *s.Store));
}

TEST(TrunkLineEditor, AutoDialTakesSymbolsOnlyFrom24_3AndAtMostEightOfThem) {
    for (const char* version : {"22,9", "24,2"}) {
        EXPECT_TRUE(AutoDialKeyAccepted('7', version));
        for (char c : std::string("#*PpTtAa")) EXPECT_FALSE(AutoDialKeyAccepted(c, version)) << c;
    }
    for (char c : std::string("#*PpTtAa")) EXPECT_TRUE(AutoDialKeyAccepted(c, "24,3")) << c;
    for (char c : std::string("BbCx -+")) EXPECT_FALSE(AutoDialKeyAccepted(c, "24,8")) << c;

    TStation old("24,2");
    TTrunkGrid grid(old.Session, *old.Store);
    ASSERT_NE(grid.Cell(1, kTrunkAutoDialColumn), "12#");
    EXPECT_TRUE(grid.SetAutoDial(1, "12#").has_value());
    EXPECT_TRUE(grid.SetAutoDial(1, "123456789").has_value());
    EXPECT_NE(grid.Cell(1, kTrunkAutoDialColumn), "12#");
    EXPECT_FALSE(grid.SetAutoDial(1, "12345678").has_value());
    EXPECT_EQ(grid.Cell(1, kTrunkAutoDialColumn), "12345678");

    TStation newer("24,3");
    TTrunkGrid grid3(newer.Session, *newer.Store);
    EXPECT_FALSE(grid3.SetAutoDial(1, "8#P*").has_value());
    EXPECT_EQ(grid3.Cell(1, kTrunkAutoDialColumn), "8#P*");

    // A number a file brought in stays as it stands; it is not refused when not edited.
    old.Record(200).SL_AutoDial = "8*0P";
    grid.Load(old.Session, *old.Store);
    EXPECT_FALSE(grid.SetAutoDial(0, "8*0P").has_value());
}

TEST(TrunkLineEditor, ThePauseSettingIsADashBelow24_4AndIsNeitherToggledNorSaved) {
    TStation old("24,3");
    old.Record(200).SL_ActivePauseAfter8 = true;  // as an earlier read may have left it
    TTrunkGrid grid(old.Session, *old.Store);
    EXPECT_EQ(grid.Cell(0, kTrunkPauseColumn), "-");
    EXPECT_FALSE(grid.Toggle(0, kTrunkPauseColumn));
    EXPECT_EQ(grid.Cell(0, kTrunkPauseColumn), "-");
    const std::uint8_t byte10 = old.Session.Area(ETable::TrunkLines).Slots[0].Bytes[10];
    const bool outgoing = old.Record(200).SL_OutgoingCall;
    ASSERT_TRUE(grid.Toggle(0, 1));
    ASSERT_TRUE(grid.Save(old.Session, *old.Store, old.Dlg));
    EXPECT_EQ(old.Record(200).SL_OutgoingCall, !outgoing);
    EXPECT_TRUE(old.Record(200).SL_ActivePauseAfter8);
    EXPECT_EQ(old.Session.Area(ETable::TrunkLines).Slots[0].Bytes[10] & 0x04, byte10 & 0x04);

    TStation now("24,4");
    now.Record(200).SL_ActivePauseAfter8 = false;
    TTrunkGrid grid4(now.Session, *now.Store);
    EXPECT_EQ(grid4.Cell(0, kTrunkPauseColumn), "");
    ASSERT_TRUE(grid4.Toggle(0, kTrunkPauseColumn));
    EXPECT_EQ(grid4.Cell(0, kTrunkPauseColumn), "X");
    ASSERT_TRUE(grid4.Save(now.Session, *now.Store, now.Dlg));
    EXPECT_TRUE(now.Record(200).SL_ActivePauseAfter8);
    EXPECT_NE(now.Session.Area(ETable::TrunkLines).Slots[0].Bytes[10] & 0x04, 0);
}

TEST(TrunkLineEditor, ASaveWithACellThatHoldsNoNumberChangesNothing) {
    TStation s;
    TTrunkGrid grid(s.Session, *s.Store);
    ASSERT_TRUE(grid.Toggle(0, 5));
    ASSERT_TRUE(grid.Choose(2, kTrunkTypeColumn, "x"));
    const std::string before = s.Print();
    s.Dlg.ExpectMessage("Ошибка во введенных данных.");
    EXPECT_FALSE(grid.Save(s.Session, *s.Store, s.Dlg));
    EXPECT_EQ(s.Print(), before);
    EXPECT_TRUE(s.Dlg.AllSeen());
}

TEST(TrunkLineEditor, PanelCommitPairsThePartnerStoresTheNameAndRefusesWhole) {
    TStation s;
    TTrunkLineView v = TrunkLineView(s.Session, *s.Store, 204);
    EXPECT_EQ(v.Block, "");
    v.Block = "206";
    v.Name = "Город 1";
    v.Switches[4] = !v.Switches[4];
    ASSERT_TRUE(CommitTrunkLine(s.Session, *s.Store, 204, v, s.Dlg));
    EXPECT_EQ(s.Record(204).SL_Block, 206);
    EXPECT_EQ(s.Record(206).SL_Block, 204);
    EXPECT_EQ(s.Record(204).SL_ToneDial, v.Switches[4]);
    const TPortPtr port = FindPort(*s.Store, 204);
    EXPECT_EQ(s.Store->Names->GetPortName(port->Line - 1), Utf8ToCp1251("Город 1"));
    EXPECT_EQ(TrunkLineView(s.Session, *s.Store, 204), v);
    EXPECT_TRUE(s.Session.Changed(ETable::TrunkLines));

    // Refused: a partner held by a third line, the line itself, a name too long, a symbol the
    // station does not take. Each shows its message and changes nothing.
    const std::string before = s.Print();
    const TTrunkLineView stored = TrunkLineView(s.Session, *s.Store, 200);
    std::vector<TTrunkLineView> refused(4, stored);
    refused[0].Block = "206";
    refused[1].Block = "200";
    refused[2].Name = std::string(kMaxNameChars + 1, 'a');
    s.Session.Identity.Version = "24,2";
    refused[3].AutoDial = "8#";
    refused[0].Switches[0] = !stored.Switches[0];
    s.Dlg.ExpectMessage("СЛ 206 уже сблокирована с СЛ 204. Данные не внесены.")
        .ExpectMessage("СЛ не может быть сблокирована сама с собой. Данные не внесены.")
        .ExpectMessage()
        .ExpectMessage("В номере автонабора допустимы только цифры.");
    for (const TTrunkLineView& bad : refused)
        EXPECT_FALSE(CommitTrunkLine(s.Session, *s.Store, 200, bad, s.Dlg));
    EXPECT_TRUE(s.Dlg.AllSeen());
    s.Session.Identity.Version = "24,8";
    EXPECT_EQ(s.Print(), before);

    // Emptying the partner empties it on both lines.
    v.Block = "";
    ASSERT_TRUE(CommitTrunkLine(s.Session, *s.Store, 204, v, s.Dlg));
    EXPECT_EQ(s.Record(204).SL_Block, -1);
    EXPECT_EQ(s.Record(206).SL_Block, -1);
}

}  // namespace
}  // namespace zarnik
