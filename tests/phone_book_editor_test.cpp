// The rules of the phone-book windows: the two ways of showing a book, the keys a cell takes,
// the cutting of long numbers into cells, and commits that store all or nothing.
#include "editors/phone_book_editor.h"

#include <gtest/gtest.h>

#include "codecs/global_phone_book_codec.h"
#include "editors/name_rules.h"
#include "platform/text_1251.h"
#include "support/offline_session.h"

namespace zarnik {
namespace {

std::vector<std::string> Book(std::initializer_list<std::pair<std::size_t, std::string>> set,
                              std::size_t size = kGlobalBookEntries) {
    std::vector<std::string> entries(size);
    for (const auto& [i, text] : set) entries[i] = text;
    return entries;
}

std::vector<std::string> Commit(const std::vector<TBookRow>& rows, EBookWay way) {
    std::string error;
    const auto entries = BookEntriesFromRows(rows, way, error);
    EXPECT_TRUE(entries.has_value()) << error;
    return entries.value_or(std::vector<std::string>{});
}

TEST(PhoneBookEditor, TheWayFollowsTheVersion) {
    EXPECT_EQ(BookWay("30,8"), EBookWay::Joined);
    EXPECT_EQ(BookWay("31,0"), EBookWay::Joined);
    EXPECT_EQ(BookWay("30,7"), EBookWay::Plain);
    EXPECT_EQ(BookWay("24,8"), EBookWay::Plain);
    EXPECT_EQ(BookWay(""), EBookWay::Plain);
    EXPECT_EQ(BookCellCode(0), "070");
    EXPECT_EQ(BookCellCode(29), "099");
}

TEST(PhoneBookEditor, BelowThirtyEightEntriesShowAsTheyStandWithDirectionNine) {
    const auto entries = Book({{0, "9810495123456789"}, {1, "12"}, {2, "P5*"}});
    const auto rows = BookRows(entries, EBookWay::Plain);
    ASSERT_EQ(rows.size(), kGlobalBookEntries);
    EXPECT_EQ(rows[0], (TBookRow{"070", "9", "9810495123456789", "", false}));
    EXPECT_EQ(rows[1].Number, "12");
    EXPECT_EQ(rows[3], (TBookRow{"073", "9", "", "", false}));
    // Typing stops at 15 symbols; a stored 16-symbol entry still goes back as it was.
    EXPECT_EQ(BookNumberLimit(EBookWay::Plain, 0, 30), 15u);
    EXPECT_TRUE(BookNumberAcceptable("123456789012345", 15));
    EXPECT_FALSE(BookNumberAcceptable("1234567890123456", 15));
    EXPECT_EQ(Commit(rows, EBookWay::Plain), entries);
}

TEST(PhoneBookEditor, FromThirtyEightAFullEntryJoinsTheCellsBelowIt) {
    const auto entries = Book({{0, "3123456789012345"},
                               {1, "6789"},
                               {2, "7"},
                               {5, "1234567890123456"},
                               {6, "2345678901234567"},
                               {7, "*#"},
                               {10, "5810"},
                               {11, "9"},
                               {12, "*1"},
                               {20, "8123456789012345"},
                               {22, "4"},
                               {29, "2123456789012345"}});
    const auto rows = BookRows(entries, EBookWay::Joined);
    ASSERT_EQ(rows.size(), kGlobalBookEntries);
    // 16 symbols and 4 more: the direction and one number of 19, a "-------" row below.
    EXPECT_EQ(rows[0], (TBookRow{"070", "03", "1234567890123456789", "", false}));
    EXPECT_EQ(rows[1], (TBookRow{"071", "", "-------", "", true}));
    EXPECT_EQ(rows[2], (TBookRow{"072", "9", "", "", false}));  // "7": direction 9, no number
    EXPECT_EQ(rows[5].Dir, "01");
    EXPECT_EQ(rows[5].Number,
              "234567890123456"
              "2345678901234567"
              "*#");
    EXPECT_TRUE(rows[6].Continuation && rows[7].Continuation);
    EXPECT_FALSE(rows[8].Continuation);
    EXPECT_EQ(rows[10].Dir, "05");
    EXPECT_EQ(rows[11].Dir, "9");
    EXPECT_EQ(rows[12].Dir, "9");  // any other first symbol
    EXPECT_EQ(rows[12].Number, "1");
    // A full entry before an empty cell still takes that cell.
    EXPECT_TRUE(rows[21].Continuation);
    EXPECT_EQ(rows[22].Number, "");
    // The last cell has nothing below it.
    EXPECT_EQ(rows[29].Number, "123456789012345");
    // Committed untouched, every cell comes back as it was; read from the grid alone, a lone
    // direction is no entry and any other first symbol becomes the 9 shown.
    std::string error;
    EXPECT_EQ(BookEntriesFromRows(rows, EBookWay::Joined, error, entries), entries);
    auto fromGrid = entries;
    fromGrid[2] = "";
    fromGrid[11] = "";
    fromGrid[12] = "91";
    fromGrid[20] = "9123456789012345";
    fromGrid[22] = "";
    EXPECT_EQ(Commit(rows, EBookWay::Joined), fromGrid);
}

TEST(PhoneBookEditor, ACommittedLongNumberIsCutIntoCellsOfSixteen) {
    auto rows = BookRows(Book({}), EBookWay::Joined);
    rows[3].Dir = "02";  // a two-symbol direction keeps its second symbol
    rows[3].Number = std::string(40, '7');
    rows[10].Dir = "9";
    rows[10].Number = "p1t2a";
    rows[12].Dir = "0";  // a direction without a number stores nothing
    const auto entries = Commit(rows, EBookWay::Joined);
    EXPECT_EQ(entries[3], "2" + std::string(15, '7'));
    EXPECT_EQ(entries[4], std::string(16, '7'));
    EXPECT_EQ(entries[5], std::string(9, '7'));
    EXPECT_EQ(entries[10], "9P1T2A");
    EXPECT_EQ(entries[12], "");
    // Exactly 16 with the direction: the next cell is kept empty for it.
    rows = BookRows(Book({}), EBookWay::Joined);
    rows[0].Dir = "9";
    rows[0].Number = std::string(15, '1');
    rows[1].Number = "";
    EXPECT_EQ(Commit(rows, EBookWay::Joined)[0], "9" + std::string(15, '1'));
    EXPECT_EQ(BookRows(Commit(rows, EBookWay::Joined), EBookWay::Joined)[1].Continuation, true);
}

TEST(PhoneBookEditor, ALongNumberNeverOverwritesTheNumberOfAnotherCell) {
    const auto entries = Book({{0, "9123456789012345"}, {1, "6789"}, {2, "9555"}});
    auto rows = BookRows(entries, EBookWay::Joined);
    // Longer by 12: the number now needs cell 072, which holds a number of its own.
    rows[0].Number += "123456789012";
    std::string error;
    EXPECT_FALSE(BookEntriesFromRows(rows, EBookWay::Joined, error));
    EXPECT_EQ(error, "Номер ячейки 070 не помещается: ячейка 072 занята другим номером.");

    // Shorter: the cell it no longer needs becomes free.
    rows = BookRows(entries, EBookWay::Joined);
    rows[0].Number = "44";
    EXPECT_EQ(Commit(rows, EBookWay::Joined), Book({{0, "944"}, {2, "9555"}}));

    // No more symbols than the cells to the end can hold.
    EXPECT_EQ(BookNumberLimit(EBookWay::Joined, 0, 30), 479u);  // 495 - 16 x 1
    EXPECT_EQ(BookNumberLimit(EBookWay::Joined, 29, 30), 15u);
    EXPECT_EQ(BookNumberLimit(EBookWay::Joined, 0, 20), 319u);
    rows = BookRows(Book({}), EBookWay::Joined);
    rows[29].Dir = "9";
    rows[29].Number = std::string(16, '1');
    EXPECT_FALSE(BookEntriesFromRows(rows, EBookWay::Joined, error));
    EXPECT_EQ(error, kBadBookEntry);
}

TEST(PhoneBookEditor, CellsTakeOnlyTheirSymbols) {
    for (const char* good : {"0123456789", "pP*#AaTt"}) EXPECT_TRUE(BookNumberAcceptable(good, 15));
    for (const char* bad : {"12-3", "1 2", "B", "x", "+7"})
        EXPECT_FALSE(BookNumberAcceptable(bad, 15));
    for (const char* good : {"", "0", "9", "01", "05", "08"})
        EXPECT_TRUE(BookDirectionAcceptable(good));
    for (const char* bad : {"00", "09", "90", "99", "1", "5", "012", "0a"})
        EXPECT_FALSE(BookDirectionAcceptable(bad)) << bad;
    EXPECT_EQ(DirectionForTypedNumber("", "5"), "9");
    EXPECT_EQ(DirectionForTypedNumber("03", "5"), "03");
    EXPECT_EQ(DirectionForTypedNumber("", ""), "");
    // A row a key filter was bypassed on is refused as a whole.
    auto rows = BookRows(Book({}), EBookWay::Plain);
    rows[4].Number = "12-34";
    std::string error;
    EXPECT_FALSE(BookEntriesFromRows(rows, EBookWay::Plain, error));
    EXPECT_EQ(error, "Ошибка во введенных данных.");
}

TEST(NameRules, RefusesWhatTheNamesFilesCannotHold) {
    EXPECT_TRUE(CheckName("Бухгалтерия").Ok());
    EXPECT_EQ(CheckName("Бухгалтерия").Cp1251, Utf8ToCp1251("Бухгалтерия"));
    std::string longest;  // two UTF-8 bytes a letter, one in the file
    for (std::size_t i = 0; i < kMaxNameChars; ++i) longest += "ж";
    EXPECT_TRUE(CheckName(longest).Ok());
    EXPECT_FALSE(CheckName(longest + "ж").Ok());
    EXPECT_FALSE(CheckName("漢字").Ok());
    EXPECT_FALSE(CheckName("две\nстроки").Ok());
}

struct TBookStation : test::TOfflineSession {
    TBookStation() : TOfflineSession("Cedar", "30,8") {
        Store->GlobalExtNum->Entries[0] = "9123";
        Store->GlobalExtNum->Entries[1] = "281049512345678";
        Store->GlobalExtNum->Entries[2] = "0123";
        EncodeGlobExtNumTable(Session, *Store);
        Session.ChangeFlags.fill(false);
    }
};

TEST(PhoneBookEditor, ARefusedCommitChangesNothing) {
    TBookStation s;
    const auto before = s.Store->GlobalExtNum->Entries;
    const auto raw = s.Session.Area(ETable::GlobalPhoneBook).Slots[0].Bytes;
    auto rows = GlobalBookRows(s.Session, *s.Store);
    rows[0].Number = "555";
    rows[3].Comment = std::string(kMaxNameChars + 1, 'a');
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage(CheckName(rows[3].Comment).Error);
    EXPECT_FALSE(CommitGlobalBook(s.Session, *s.Store, rows, dialogs));
    // A bad number is reported before any name is looked at.
    rows[1].Number = "1x";
    dialogs.ExpectMessage(kBadBookEntry);
    EXPECT_FALSE(CommitGlobalBook(s.Session, *s.Store, rows, dialogs));
    EXPECT_TRUE(dialogs.AllSeen());
    EXPECT_EQ(s.Store->GlobalExtNum->Entries, before);
    EXPECT_EQ(s.Session.Area(ETable::GlobalPhoneBook).Slots[0].Bytes, raw);
    EXPECT_FALSE(s.Session.Changed(ETable::GlobalPhoneBook));
    EXPECT_EQ(s.Store->Names->GetGlobalExtNumName(3), "");
}

TEST(PhoneBookEditor, ACommitStoresEncodesAndNamesTheEntries) {
    TBookStation s;
    auto rows = GlobalBookRows(s.Session, *s.Store);
    EXPECT_EQ(rows[1].Number, "81049512345678");
    EXPECT_EQ(rows[2].Dir, "9");  // "0" first: no direction of its own
    rows[0].Dir = "01";
    rows[4].Number = "112";  // the window gives it direction 9 as it is typed
    rows[4].Dir = "9";
    rows[4].Comment = "Служба спасения";
    test::TScriptedDialogs dialogs;
    ASSERT_TRUE(CommitGlobalBook(s.Session, *s.Store, rows, dialogs));
    const auto& e = s.Store->GlobalExtNum->Entries;
    EXPECT_EQ(e[0], "1123");
    EXPECT_EQ(e[1], "281049512345678");
    EXPECT_EQ(e[2], "0123");  // untouched: its first symbol stays, though shown as 9
    EXPECT_EQ(e[4], "9112");
    EXPECT_TRUE(s.Session.Changed(ETable::GlobalPhoneBook));
    // "1123" packs as 0x11 0x23 and a closing 0, first thing in block 0.
    const auto& raw = s.Session.Area(ETable::GlobalPhoneBook).Slots[0].Bytes;
    EXPECT_EQ(raw[0], 0x11);
    EXPECT_EQ(raw[1], 0x23);
    EXPECT_EQ(raw[2], 0x00);
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetGlobalExtNumName(4)), "Служба спасения");
}

}  // namespace
}  // namespace zarnik
