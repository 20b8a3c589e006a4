// The program number window's rules without widgets: its rows, the keys of a number cell, and
// a commit that clears one-digit numbers, refuses equal numbers and long names whole, and
// otherwise stores the numbers and names and encodes the table.
#include "editors/program_number_editor.h"

#include <gtest/gtest.h>

#include "editors/name_rules.h"
#include "model/port.h"
#include "platform/text_1251.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

struct TPrgStation : test::TLoadedStation {
    // The built-in station numbers its first lines 15, 105, 1234, ...; 15 is made free here.
    TPrgStation() : TLoadedStation("Cedar") {
        for (const TPortPtr& p : Store->Ports)
            if (p->AlData->AL_PrgNum == "15") p->AlData->AL_PrgNum.clear();
    }
    std::string Print() { return test::SessionPrint(Session) + test::StorePrint(Session, *Store); }
    // The first row whose number is empty, and one that is not.
    int EmptyRow(const TProgramNumberEditor& e, int skip = 0) const {
        for (std::size_t r = 0; r < e.Rows().size(); ++r)
            if (e.Rows()[r].Number.empty() && skip-- == 0) return static_cast<int>(r);
        return -1;
    }
    test::TScriptedDialogs Window;
};

TEST(ProgramNumberEditor, RowsAreTheLinesAndSystemPhonesWithGroupNumberAndName) {
    TPrgStation s;
    TDataStream& store = *s.Store;
    std::vector<int> expected;
    for (const TPortPtr& p : store.Ports)
        if (p->Type == kPortTypeSubscriber || p->Type == kPortTypeSta)
            expected.push_back(p->Number);
    ASSERT_FALSE(expected.empty());
    const int port = expected[1];
    store.Lines[static_cast<std::size_t>(port - 200)].ALGroup = 3;  // Cedar: line = port - 199
    store.Lines[static_cast<std::size_t>(expected[0] - 200)].ALGroup = -1;
    store.Names->SetPortName(port - 200, Utf8ToCp1251("Бухгалтерия"));

    const TProgramNumberEditor editor(store);
    ASSERT_EQ(editor.Rows().size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(editor.Rows()[r].Port, expected[r]);
    EXPECT_EQ(editor.Rows()[0].Group, "");
    EXPECT_EQ(editor.Rows()[1].Group, "13");
    EXPECT_EQ(editor.Rows()[1].Name, "Бухгалтерия");
    EXPECT_EQ(editor.Rows()[1].Number, Cp1251ToUtf8(FindPort(store, port)->AlData->AL_PrgNum));
    EXPECT_FALSE(editor.Pending());
}

TEST(ProgramNumberEditor, KeysStartWithOneTakeFourDigitsAndRefuseAnotherLinesNumber) {
    TPrgStation s;
    TProgramNumberEditor editor(*s.Store);
    const int row = s.EmptyRow(editor);
    ASSERT_GE(row, 0);

    EXPECT_FALSE(editor.Key(row, "", '2', s.Window).Passed);  // 2 into an empty cell: nothing
    EXPECT_FALSE(editor.Pending());
    EXPECT_FALSE(editor.Key(row, "", 'a', s.Window).Passed);
    EXPECT_FALSE(editor.Key(row, "", '\r', s.Window).Passed);
    editor.SetNumber(s.EmptyRow(editor, 1), "1");  // a lone 1 elsewhere stops no number
    TPrgNumKey k = editor.Key(row, "", '1', s.Window);
    EXPECT_TRUE(k.Passed);
    EXPECT_FALSE(k.Duplicate);
    EXPECT_TRUE(editor.Pending());
    k = editor.Key(row, k.Text, '5', s.Window);
    EXPECT_EQ(k.Text, "15");
    EXPECT_FALSE(editor.Key(row, "15", '*', s.Window).Passed);
    EXPECT_EQ(editor.Key(row, "173", '8', s.Window).Text, "1738");
    k = editor.Key(row, "1738", '9', s.Window);  // a fifth digit
    EXPECT_FALSE(k.Passed);
    EXPECT_EQ(k.Text, "1738");
    EXPECT_EQ(editor.Key(row, "1738", '\b', s.Window).Text, "173");  // backspace always passes
    EXPECT_EQ(editor.Key(row, "", '\b', s.Window).Text, "");
    EXPECT_TRUE(editor.Key(row, "17", '\r', s.Window).Passed);

    // Another row holds 105 (the built-in station numbers its lines 15, 105, 1234, ...).
    s.Window.ExpectMessage(kPrgNumDuplicateMessage);
    k = editor.Key(row, "10", '5', s.Window);
    EXPECT_TRUE(k.Duplicate);
    EXPECT_EQ(k.Text, "");
    // A line the window does not show (a door phone attached to it) keeps its number too.
    TPortPtr hidden;
    for (const TPortPtr& p : s.Store->Ports)
        if (p->Type == kPortTypeSubscriber && p->AlData->AL_PrgNum.empty()) hidden = p;
    ASSERT_TRUE(hidden);
    hidden->AlData->AL_PrgNum = "177";
    hidden->Type = kPortTypeAttachedDoorPhone;
    TProgramNumberEditor again(*s.Store);
    s.Window.ExpectMessage(kPrgNumDuplicateMessage);
    EXPECT_TRUE(again.Key(s.EmptyRow(again), "17", '7', s.Window).Duplicate);
    EXPECT_TRUE(s.Window.AllSeen());

    EXPECT_EQ(TProgramNumberEditor::AtEditBoundary("234"), "");
    EXPECT_EQ(TProgramNumberEditor::AtEditBoundary("1"), "1");
}

TEST(ProgramNumberEditor, CommitClearsOneDigitNumbersSavesTheRestAndEncodes) {
    TPrgStation s;
    TProgramNumberEditor editor(*s.Store);
    const int one = s.EmptyRow(editor);
    const int two = s.EmptyRow(editor, 1);
    ASSERT_GE(two, 0);
    editor.SetNumber(one, "1");
    editor.SetNumber(two, "1 6");  // spaces are taken out
    editor.SetName(two, "Склад №2");
    s.Window.ExpectMessage(kPrgNumTooShortMessage);
    ASSERT_TRUE(editor.Commit(s.Session, *s.Store, s.Window));
    EXPECT_TRUE(s.Window.AllSeen());
    EXPECT_FALSE(editor.Pending());

    const TPrgNumRow& rowOne = editor.Rows()[static_cast<std::size_t>(one)];
    const TPrgNumRow& rowTwo = editor.Rows()[static_cast<std::size_t>(two)];
    EXPECT_EQ(rowOne.Number, "");
    EXPECT_EQ(FindPort(*s.Store, rowOne.Port)->AlData->AL_PrgNum, "");
    EXPECT_EQ(FindPort(*s.Store, rowTwo.Port)->AlData->AL_PrgNum, "16");
    EXPECT_EQ(s.Store->Names->GetPortName(rowTwo.Port - 200), Utf8ToCp1251("Склад №2"));
    // Cedar: entry k of the first block is port 200 + k; 16 travels as 0x06 0x00.
    const TRawSlot& block = s.Session.Area(ETable::ProgramNumbers).Slots[0];
    const std::size_t entry = static_cast<std::size_t>(rowTwo.Port - 200);
    EXPECT_EQ(block.Bytes[2 * entry], 0x06);
    EXPECT_EQ(block.Bytes[2 * entry + 1], 0x00);
    EXPECT_TRUE(s.Session.Changed(ETable::ProgramNumbers));
}

TEST(ProgramNumberEditor, EqualNumbersOrALongNameRefuseTheWholeCommit) {
    TPrgStation s;
    const std::string before = s.Print();
    TProgramNumberEditor editor(*s.Store);
    const int a = s.EmptyRow(editor);
    const int b = s.EmptyRow(editor, 1);
    editor.SetNumber(a, "105");
    editor.SetNumber(b, "16");
    editor.SetName(a, "Новое имя");
    s.Window.ExpectMessage(kPrgNumDuplicateMessage);
    EXPECT_FALSE(editor.Commit(s.Session, *s.Store, s.Window));
    EXPECT_EQ(s.Print(), before);
    EXPECT_TRUE(editor.Pending());

    editor.SetNumber(a, "");
    const std::string tooLong(kMaxNameChars + 1, 'x');
    editor.SetName(b, tooLong);
    s.Window.ExpectMessage(CheckName(tooLong).Error);
    EXPECT_FALSE(editor.Commit(s.Session, *s.Store, s.Window));
    EXPECT_EQ(editor.RefusedNameRow(), b);
    EXPECT_EQ(s.Print(), before);
    EXPECT_EQ(s.Store->Names->GetPortName(editor.Rows()[static_cast<std::size_t>(a)].Port - 200),
              "");
    EXPECT_TRUE(s.Window.AllSeen());
}

TEST(ProgramNumberEditor, ANumberTheTableCannotCarryPutsNumbersAndNamesBack) {
    TPrgStation s;
    TProgramNumberEditor editor(*s.Store);
    const int a = s.EmptyRow(editor);
    const int b = s.EmptyRow(editor, 1);
    const int portA = editor.Rows()[static_cast<std::size_t>(a)].Port;
    editor.SetName(a, "Касса");
    editor.SetNumber(a, "17");
    editor.SetNumber(b, "1x5");  // no key makes it; the encode refuses it with its own message
    const std::string before = s.Print();
    EXPECT_FALSE(editor.Commit(s.Session, *s.Store, s.Window));
    EXPECT_EQ(s.Print(), before);
    EXPECT_EQ(s.Store->Names->GetPortName(portA - 200), "");
    EXPECT_EQ(FindPort(*s.Store, portA)->AlData->AL_PrgNum, "");
    EXPECT_TRUE(editor.Pending());
}

}  // namespace
}  // namespace zarnik
