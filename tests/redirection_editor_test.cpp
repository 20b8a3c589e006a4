// The redirection window's rules without widgets: the grid per model, the cell texts, what a
// typed target must be, the editor's Enter and leave rules, and the commit into the store.
#include "editors/redirection_editor.h"

#include <gtest/gtest.h>

#include "model/broadcaster.h"
#include "model/port.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

TPortPtr FirstOfType(const TDataStream& store, std::int16_t type, int skip = 0) {
    for (const TPortPtr& p : store.Ports)
        if (p->Type == type && skip-- == 0) return p;
    return nullptr;
}

int IndexOf(const TDataStream& store, int port) {
    return TBroadcaster::GetLineNumFromPortNum(store.Model, std::to_string(port)) - 1;
}

TEST(RedirectionEditor, GridPerModelAndTheCellOfAPort) {
    EXPECT_EQ(RedirectionLayout("Dogwood").Cells(), 150);
    EXPECT_EQ(RedirectionLayout("Cedar").Rows, 12);
    EXPECT_EQ(RedirectionLayout("Birch").Columns, 8);
    EXPECT_EQ(RedirectionLayout("Alder").Cells(), 48);
    EXPECT_EQ(RedirectionLayout("Birch 2").Cells(), 0);  // the model text must match exactly

    test::TLoadedStation birch("Birch");
    const TRedirectionEditor editor(birch.Session, *birch.Store);
    // Row 210, column 3 is cell 11: port 213, redirection record 11.
    EXPECT_EQ(editor.PortOf(1 * 8 + 3), 213);
    EXPECT_EQ(TBroadcaster::GetPortNumFromIndex("Birch", 11), 213);
    EXPECT_EQ(editor.PortOf(79), 297);
}

TEST(RedirectionEditor, CellsShowTargetsWithProgramNumbersAndLinesThatCannotBeRedirected) {
    test::TLoadedStation s("Cedar");
    TDataStream& store = *s.Store;
    const TPortPtr from = FirstOfType(store, kPortTypeSubscriber);
    const TPortPtr to = FirstOfType(store, kPortTypeSubscriber, 1);
    const TPortPtr trunk = FirstOfType(store, kPortTypeTrunk);
    ASSERT_TRUE(from && to && trunk);
    to->AlData->AL_PrgNum = "1234";
    store.Redirections[static_cast<std::size_t>(IndexOf(store, from->Number))] = {0, to->Number, 0};
    store.Redirections[static_cast<std::size_t>(IndexOf(store, to->Number))] = {0, 0, 0};
    const TRedirectionEditor editor(s.Session, store);
    EXPECT_EQ(editor.Cell(IndexOf(store, from->Number)), std::to_string(to->Number) + "(1234)");
    EXPECT_EQ(editor.Cell(IndexOf(store, to->Number)), "");
    EXPECT_EQ(editor.Cell(IndexOf(store, trunk->Number)), kNoRedirectCell);
    // Cells past the station's lines are never carried by the table.
    const int lines = s.Session.Identity.SubscriberLineCount;
    ASSERT_LT(lines, editor.Layout().Cells());
    EXPECT_EQ(editor.Cell(lines), kNoRedirectCell);
}

TEST(RedirectionEditor, ATargetIsTheFirstThreeDigitsNamingALineOrSystemPhone) {
    test::TLoadedStation s("Cedar");
    const TDataStream& store = *s.Store;
    const std::string line = std::to_string(FirstOfType(store, kPortTypeSubscriber)->Number);
    const std::string sta = std::to_string(FirstOfType(store, kPortTypeSta)->Number);
    const std::string trunk = std::to_string(FirstOfType(store, kPortTypeTrunk)->Number);
    EXPECT_EQ(RedirectionTarget(store, line), std::stoi(line));
    EXPECT_EQ(RedirectionTarget(store, sta), std::stoi(sta));
    EXPECT_EQ(RedirectionTarget(store, line + "(1234)"), std::stoi(line));
    EXPECT_FALSE(RedirectionTarget(store, trunk));
    EXPECT_FALSE(RedirectionTarget(store, line.substr(0, 2)));
    EXPECT_FALSE(RedirectionTarget(store, "2x1"));
    EXPECT_FALSE(RedirectionTarget(store, "999"));
    EXPECT_FALSE(RedirectionTarget(store, ""));
}

TEST(RedirectionEditor, EnterAndLeavingTheEditorFollowTheirRules) {
    test::TLoadedStation s("Birch");
    TDataStream& store = *s.Store;
    test::TScriptedDialogs window;
    const TPortPtr line = FirstOfType(store, kPortTypeSubscriber);
    const TPortPtr target = FirstOfType(store, kPortTypeSubscriber, 2);
    const TPortPtr trunk = FirstOfType(store, kPortTypeTrunk);
    target->AlData->AL_PrgNum = "105";
    store.Redirections[static_cast<std::size_t>(IndexOf(store, line->Number))].Target = 0;
    TRedirectionEditor editor(s.Session, store);
    const int cell = IndexOf(store, line->Number);
    const std::string port = std::to_string(target->Number);

    window.ExpectMessage(kPortUnavailableMessage);
    EXPECT_FALSE(editor.BeginEdit(IndexOf(store, trunk->Number), window));
    EXPECT_EQ(window.Seen.back().Caption, kPortUnavailableCaption);
    EXPECT_TRUE(editor.BeginEdit(cell, window));

    editor.EnterTyped(cell, port, window);
    EXPECT_EQ(editor.Cell(cell), port + "(105)");
    window.ExpectMessage(kWrongTargetMessage);
    editor.EnterTyped(cell, std::to_string(trunk->Number), window);  // a trunk line: refused
    EXPECT_EQ(editor.Cell(cell), "");

    EXPECT_TRUE(editor.LeaveTyped(cell, port + "7", window));  // kept as typed
    EXPECT_EQ(editor.Cell(cell), port + "7");
    window.ExpectMessage(kWrongTargetMessage);
    EXPECT_FALSE(editor.LeaveTyped(cell, "2", window));
    EXPECT_EQ(editor.Cell(cell), port + "7");
    EXPECT_TRUE(editor.LeaveTyped(cell, "", window));
    EXPECT_EQ(editor.Cell(cell), port + "7");
    editor.EnterTyped(cell, "", window);
    EXPECT_EQ(editor.Cell(cell), "");
    EXPECT_TRUE(window.AllSeen());
}

TEST(RedirectionEditor, CommitKeepsShownAndTypedTargetsClearsEmptiedCellsAndEncodes) {
    test::TLoadedStation s("Cedar");
    TDataStream& store = *s.Store;
    test::TScriptedDialogs window;
    const TPortPtr a = FirstOfType(store, kPortTypeSubscriber);
    const TPortPtr b = FirstOfType(store, kPortTypeSubscriber, 1);
    const TPortPtr c = FirstOfType(store, kPortTypeSubscriber, 2);
    const TPortPtr d = FirstOfType(store, kPortTypeSubscriber, 3);
    const TPortPtr sta = FirstOfType(store, kPortTypeSta);
    b->AlData->AL_PrgNum = "1234";
    const auto record = [&](const TPortPtr& p) -> TRedirectRecord& {
        return store.Redirections[static_cast<std::size_t>(IndexOf(store, p->Number))];
    };
    record(a) = {0, b->Number, 0};
    record(b) = {0, 0, 0};
    record(c) = {0, a->Number, 0};
    // A line with a door phone attached is no target one can type, but a target the station
    // holds is kept while its cell is left alone.
    d->Type = kPortTypeAttachedDoorPhone;
    record(sta) = {0, d->Number, 0};
    const auto before = store.Redirections;

    s.Session.Area(ETable::Redirections).Slots[0].Length = 0;  // as in a block never read
    TRedirectionEditor editor(s.Session, store);
    EXPECT_EQ(editor.Cell(IndexOf(store, a->Number)), std::to_string(b->Number) + "(1234)");
    editor.EnterTyped(IndexOf(store, b->Number), std::to_string(sta->Number), window);
    editor.EnterTyped(IndexOf(store, c->Number), "", window);
    editor.Commit(s.Session, store);

    auto expected = before;
    expected[static_cast<std::size_t>(IndexOf(store, b->Number))].Target = sta->Number;
    expected[static_cast<std::size_t>(IndexOf(store, c->Number))].Target = 0;
    for (std::size_t i = 0; i < kMaxRedirections; ++i)
        EXPECT_EQ(store.Redirections[i], expected[i]) << i;
    EXPECT_EQ(store.RedirectionCount, s.Session.Identity.SubscriberLineCount);
    const TRawSlot& block = s.Session.Area(ETable::Redirections).Slots[0];
    EXPECT_EQ(block.Bytes[static_cast<std::size_t>(IndexOf(store, a->Number))],
              IndexOf(store, b->Number));
    EXPECT_EQ(block.Bytes[static_cast<std::size_t>(IndexOf(store, b->Number))],
              IndexOf(store, sta->Number));
    EXPECT_EQ(block.Bytes[static_cast<std::size_t>(IndexOf(store, c->Number))],
              IndexOf(store, c->Number));
    EXPECT_EQ(block.Bytes[static_cast<std::size_t>(IndexOf(store, sta->Number))],
              IndexOf(store, d->Number));
    EXPECT_EQ(block.Length, s.Session.Identity.SubscriberLineCount);
    EXPECT_TRUE(s.Session.Changed(ETable::Redirections));
    EXPECT_TRUE(window.AllSeen());
}

}  // namespace
}  // namespace zarnik
