// The constructor window's rules without widgets: offered versions, kept choices, the note.
#include "editors/constructor_editor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/broadcaster.h"
#include "model/table_ver_rw_flags.h"

namespace zarnik {
namespace {

std::string Comma(std::string version) {
    version[version.find('.')] = ',';
    return version;
}

TEST(ConstructorEditor, VersionsFromTheOldestWithTheDefaultAmongThem) {
    const std::vector<std::string>& versions = ConstructorVersions();
    ASSERT_FALSE(versions.empty());
    EXPECT_EQ(versions.front(), "22.9");
    EXPECT_NE(std::find(versions.begin(), versions.end(), "24.7"), versions.end());
    for (std::size_t i = 0; i < versions.size(); ++i) {
        // Every one can be written into the identification and reads back as itself.
        const auto bytes = VersionBytes(versions[i]);
        ASSERT_TRUE(bytes.has_value()) << versions[i];
        const auto [low, high] = *bytes;
        const int whole = ((high >> 4) * 10 + (high & 0xF)) * 10 + (low >> 4);
        EXPECT_EQ(std::to_string(whole) + "," + std::to_string(low & 0xF), Comma(versions[i]));
        if (i > 0) {
            // Oldest first.
            EXPECT_EQ(TBroadcaster::CompareVersions(Comma(versions[i - 1]), Comma(versions[i])), 0)
                << versions[i - 1] << " before " << versions[i];
        }
    }
    const TTableVerRWFlags older("Cedar", "22,9"), newer("Cedar", "23,8");
    EXPECT_NE(older.Bytes, newer.Bytes);
    EXPECT_NE(TTableVerRWFlags("Cedar", "28,5").Bytes, TTableVerRWFlags("Cedar", "28,6").Bytes);
}

TEST(ConstructorEditor, ShowingChoosesTheSessionModelAndKeepsItsBoards) {
    TConstructorDraft draft;
    PrepareConstructorDraft(draft, "Cedar");
    EXPECT_EQ(draft.Model(), "Cedar");
    EXPECT_EQ(draft.Version(), "24.7");
    ASSERT_TRUE(draft.SetBoard(2, "Volga"));
    draft.SetVersion("30.8");

    PrepareConstructorDraft(draft, "Cedar");  // opened again on the same station
    EXPECT_EQ(draft.Boards()[2], "Volga");
    EXPECT_EQ(draft.Version(), "24.7");

    PrepareConstructorDraft(draft, "");  // no station yet: the first model, slots emptied
    EXPECT_EQ(draft.Model(), ConstructorModels().front());
    EXPECT_EQ(draft.Boards().size(), 15u);
    EXPECT_TRUE(std::all_of(draft.Boards().begin(), draft.Boards().end(),
                            [](const std::string& b) { return b.empty(); }));
}

TEST(ConstructorEditor, BoardsAreOfferedOnlyOnceModelAndVersionAreChosen) {
    TConstructorDraft draft;
    draft.SetModel("Birch");
    EXPECT_TRUE(BoardChoices(draft).empty());
    draft.SetVersion("24.7");
    EXPECT_EQ(BoardChoices(draft),
              (std::vector<std::string>{"", "Oka", "Ural", "Svir", "Lena", "LenaN"}));
    draft.SetModel("");
    EXPECT_TRUE(BoardChoices(draft).empty());
    EXPECT_EQ(BoardCellName(3, ""), "Плата слота 3: нет");
    EXPECT_EQ(BoardCellName(3, "Kama"), "Плата слота 3: Kama");
}

TEST(ConstructorEditor, NoteJoinsTheWrappedPiecesIntoParagraphs) {
    EXPECT_EQ(ConstructorNote(),
              (std::vector<std::string>{
                  "Конструктор нужен для создания файла конфигурации при отсутствии подключения "
                  "к АТС.",
                  "",
                  "1.Устанавливаем тип АТС, для которой создается файл.",
                  "2. Устанавливаем версию рабочей программы.",
                  "3. В зав. от типа АТС, при дв. щелчке по таблице, нам становится доступен "
                  "список плат для выбора.",
              }));
}

}  // namespace
}  // namespace zarnik
