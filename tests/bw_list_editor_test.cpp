// The rules behind the black and white lists window: the symbols a number takes and the commit
// of all sixty numbers or none.
#include "editors/bw_list_editor.h"

#include <gtest/gtest.h>

#include "support/offline_session.h"

namespace zarnik {
namespace {

TEST(BwListEditor, CommitsAllSixtyOrNothing) {
    test::TOfflineSession s("Dogwood");
    std::array<std::string, kBwListEntries> entries;
    entries[0] = "810*";
    entries[50] = "8809p";
    entries[59] = "123456789";  // one symbol too many
    test::TScriptedDialogs dialogs;
    dialogs.ExpectMessage("Ошибка во введенных данных.");
    EXPECT_FALSE(CommitBwLists(s.Session, *s.Store, entries, dialogs));
    EXPECT_EQ(s.Store->BlackWhiteList.Entries[0], "");
    EXPECT_FALSE(s.Session.Changed(ETable::BlackWhiteLists));

    entries[59] = "12345678";
    EXPECT_TRUE(CommitBwLists(s.Session, *s.Store, entries, dialogs));
    EXPECT_EQ(s.Store->BlackWhiteList.Entries[50], "8809P");
    auto stored = entries;
    stored[50] = "8809P";
    EXPECT_EQ(BwEntries(*s.Store), stored);
    const TRawSlot& raw = s.Session.Area(ETable::BlackWhiteLists).Slots[0];
    EXPECT_EQ(raw.Bytes[0], 0x81);
    EXPECT_EQ(raw.Bytes[1], 0xAB);
    EXPECT_EQ(raw.Bytes[2], 0x00);
    EXPECT_TRUE(s.Session.Changed(ETable::BlackWhiteLists));
    EXPECT_TRUE(dialogs.AllSeen());
    for (const char* bad : {"123456789", "12 3", "+7", "B"}) EXPECT_FALSE(BwEntryAcceptable(bad));
    EXPECT_TRUE(BwEntryAcceptable("p*#AaTt0"));
}

}  // namespace
}  // namespace zarnik
