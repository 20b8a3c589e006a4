#pragma once
// Comparing two configurations: what differs between the station and a backup, or between two
// files, named as a technician knows it: the station's identity, composition and ports first,
// then each table in the order of the panels' check boxes, each record by its port, number or
// cell and each field by the caption the windows and the report give it.
//
// The names users give to lines, groups and the rest live on this computer and are the same
// for both sides: they name records, they are never compared.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/main_class.h"
#include "model/data_stream.h"
#include "model/table_ids.h"
#include "platform/user_dialogs.h"

namespace zarnik {

using TDiffTables = std::array<bool, kTableCount>;  // by selection index

// One configuration to compare: the session with its raw areas and identity, the store with
// its decoded tables, and which tables it holds (by selection index).
struct TDiffSide {
    const TMainClass& Session;
    const TDataStream& Store;
    TDiffTables Held{};
};

// The tables a configuration in hand holds: those its station has (by model and working
// program) that were not filled in blank because a loaded file lacked them.
TDiffTables TablesInHand(const TMainClass& session);

// What a section of the comparison is about when it is not a table.
enum class EDiffPart { Identity, Composition, Ports, Table };

struct TDiffItem {
    EDiffPart Part = EDiffPart::Table;
    ETable Table = ETable::TimeSettings;  // only for EDiffPart::Table
    std::string Section;  // "АТС", "Состав АТС", "Порты" or the table's panel caption
    std::string Record;  // "205 Иванов", "Группа 12", "Таблица наведения 03"; "" the whole table
    std::string Field;  // the caption of the field
    std::string Left;   // the value on each side, UTF-8; "" an empty value
    std::string Right;
    int ByteCount = 0;  // bytes that differ, for bytes no field explains; 0 otherwise

    bool operator==(const TDiffItem&) const = default;
};

// Field caption of a table that one side holds and the other does not, and of bytes no field
// explains.
inline constexpr const char* kDiffTableField = "Таблица";
inline constexpr const char* kDiffTablePresent = "есть";
inline constexpr const char* kDiffTableAbsent = "нет";
inline constexpr const char* kDiffBytesField = "изменены данные";

// How the comparison names sections, records and fields, for other lists of changes told in
// its words (the preview of a directory import). Records carry the names of the store's names
// list.
std::string DiffTableSection(ETable t);
std::string DiffPortRecord(const TDataStream& store, const std::string& model, int port);
std::string DiffBookCellRecord(const TDataStream& store, std::size_t cell);
std::string DiffGroupBookCellRecord(const TDataStream& store, std::size_t book, std::size_t cell);
std::string DiffBwRecord(std::size_t entry);
std::string DiffBwField(std::size_t entry);
inline constexpr const char* kDiffProgramNumberField = "Программный номер";
inline constexpr const char* kDiffBookNumberField = "Номер";

struct TConfigDiff {
    std::vector<TDiffItem> Items;  // identity, composition, ports, then tables in panel order
    // Non-empty when the tables were not compared (the models differ): says why.
    std::string TablesNotCompared;

    bool Equal() const { return Items.empty() && TablesNotCompared.empty(); }
};

// Compares `tables` (by selection index) of the two configurations; tables neither side holds
// are left out.
TConfigDiff CompareConfigurations(const TDiffSide& left, const TDiffSide& right,
                                  const TDiffTables& tables);

// The sections of the differences in order, each with how many differences it holds.
struct TDiffSection {
    std::string Section;
    std::vector<const TDiffItem*> Items;
};
std::vector<TDiffSection> GroupBySection(const TConfigDiff& diff);

// The differences as plain text, one section after another: "[Установки АЛ] 3 различия", then
// "  205 Иванов: Прямой вызов: 12 | 15" lines. `leftName` and `rightName` head the text
// (the two files, or "АТС" and a file). "Конфигурации совпадают." when nothing differs.
std::string DiffText(const TConfigDiff& diff, const std::string& leftName,
                     const std::string& rightName);

// "различие", "различия", "различий" for a count.
std::string DifferenceCount(std::size_t count);
// A count with the Russian word that goes with it: `one` for 1, 21, ...; `few` for 2-4, 22-24,
// ...; `many` for the rest (5-20, 25-30, ...).
std::string CountWithWord(std::size_t count, const char* one, const char* few, const char* many);

// A configuration file loaded on its own, beside the one in hand: a session without a port
// and a store of its own, whose names come from the same working directory.
struct TLoadedConfig {
    std::unique_ptr<TMainClass> Session;
    TDataStreamPtr Store;
    TDiffTables Held{};
};

// Loads every table of the file at `path` (messages through `dialogs`); nullopt, after the
// message, when the file cannot be loaded.
std::optional<TLoadedConfig> LoadConfigForDiff(TUserDialogs& dialogs, const std::string& baseDir,
                                               const std::string& path);

}  // namespace zarnik
