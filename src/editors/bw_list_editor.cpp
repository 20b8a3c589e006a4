#include "editors/bw_list_editor.h"

#include <algorithm>
#include <cctype>

#include "codecs/black_white_list_codec.h"
#include "editors/phone_book_editor.h"

namespace zarnik {

const std::array<const char*, kBwSections>& BwSectionNames() {
    static const std::array<const char*, kBwSections> kNames{
        "1-я секция белой книжки", "2-я секция белой книжки", "3-я секция белой книжки",
        "4-я секция белой книжки", "5-я секция белой книжки", "Черная книжка"};
    return kNames;
}

bool BwEntryAcceptable(std::string_view text) {
    return text.size() <= kBwEntrySymbols && std::all_of(text.begin(), text.end(), IsBookSymbol);
}

std::array<std::string, kBwListEntries> BwEntries(const TDataStream& store) {
    std::array<std::string, kBwListEntries> entries;
    std::copy_n(store.BlackWhiteList.Entries.begin(), kBwListEntries, entries.begin());
    return entries;
}

bool CommitBwLists(TMainClass& session, TDataStream& store,
                   std::span<const std::string, kBwListEntries> entries, TUserDialogs& dialogs) {
    if (!std::all_of(entries.begin(), entries.end(),
                     [](const std::string& e) { return BwEntryAcceptable(e); })) {
        dialogs.Message(kBadBookEntry, "Ошибка");
        return false;
    }
    TBlackWhiteList& list = store.BlackWhiteList;
    for (std::size_t i = 0; i < kBwListEntries; ++i) {
        std::string text = entries[i];
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        list.Entries[i] = std::move(text);
    }
    list.Count = static_cast<std::int32_t>(kBwListEntries);
    EncodeBwTable(session, store);
    return true;
}

}  // namespace zarnik
