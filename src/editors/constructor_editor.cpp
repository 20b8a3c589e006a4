#include "editors/constructor_editor.h"

#include <algorithm>
#include <array>

namespace zarnik {

namespace {

// Where a version changes what the station has: 23,8 the system-phone buttons and the extended
// switches, 24,3 and 24,4 the conference, trunk and subscriber line layouts, 28,6 the newest
// switches, 30,8 the phone book and button layouts. 24,7 is the version the window chose first.
const std::vector<std::string> kVersions{"22.9", "23.8", "24.3", "24.4", "24.7", "28.6", "30.8"};

// The note as the window's text holds it: pieces ending with a space go on in the next piece.
constexpr std::array<const char*, 9> kNoteLines{
    "Конструктор нужен для создания файла конфигурации при отсутствии подключения ",
    "к ",
    "АТС.",
    "",
    "1.Устанавливаем тип АТС, для которой создается файл.",
    "2. Устанавливаем версию рабочей программы.",
    "3. В зав. от типа АТС, при дв. щелчке по таблице, нам становится доступен список ",
    "плат ",
    "для выбора.",
};

}  // namespace

const std::vector<std::string>& ConstructorVersions() {
    return kVersions;
}

TConstructorDraft& ConstructorWindowDraft() {
    static TConstructorDraft draft;
    return draft;
}

void PrepareConstructorDraft(TConstructorDraft& draft, const std::string& sessionModel) {
    const auto& models = ConstructorModels();
    const bool offered = std::find_if(models.begin(), models.end(), [&](const char* m) {
                             return sessionModel == m;
                         }) != models.end();
    draft.SetModel(offered ? sessionModel : models.front());
    draft.SetVersion(kConstructorDefaultVersion);
}

std::vector<std::string> BoardChoices(const TConstructorDraft& draft) {
    std::vector<std::string> choices;
    if (!draft.CanBuild()) return choices;
    for (const TBoardChoice& board : OfferedBoards(draft.Model())) choices.emplace_back(board.Name);
    return choices;
}

std::string SlotCellName(int slot) {
    return "Слот " + std::to_string(slot);
}

std::string BoardCellName(int slot, const std::string& board) {
    return "Плата слота " + std::to_string(slot) + ": " + (board.empty() ? "нет" : board);
}

std::vector<std::string> ConstructorNote() {
    std::vector<std::string> paragraphs{""};
    for (const char* line : kNoteLines) {
        std::string& last = paragraphs.back();
        last += line;
        if (last.empty() || last.back() != ' ') paragraphs.emplace_back();
    }
    paragraphs.pop_back();
    return paragraphs;
}

}  // namespace zarnik
