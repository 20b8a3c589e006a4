#pragma once
// TFileList: the configuration file buffer. A file holds the station's identification, three
// header tables and one record per saved table: the raw areas, not the store.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/table_ids.h"
#include "platform/user_dialogs.h"

namespace zarnik {

class TMainClass;
struct TDataStream;

inline constexpr std::size_t kFileHeaderSize = 200;
inline constexpr std::size_t kFileIdLength = 20;

struct TFileRecord {
    std::uint8_t Id = 0;
    std::vector<std::uint8_t> Data;
};

struct TFileSlot {
    std::vector<std::uint8_t> Bytes;
};

enum class EOpenState { Created, CannotCreate, OverwriteConfirmed, OverwriteDeclined };

enum class EWriteResult {
    Written,
    CannotCreate,  // the new file could not be written or put in place
    NoBackup,      // the file under the name could not be kept as the backup
};

enum class EReadResult {
    Read,        // the whole file fits: header sections and identity taken into the buffer
    CannotOpen,  // no readable file under the name
    Refused,     // the file does not fit the format; the buffer's header sections are unchanged
};

// Largest record of each table that a file may carry.
std::size_t FileSlotCapacity(ETable t);

class TFileList {
public:
    TFileList();

    // Header sections, as the session holds them.
    std::array<std::uint8_t, 256> IdBytes{};
    std::uint16_t IdLength = 0;
    std::array<std::uint8_t, 128> TimeDefaults{};
    std::uint16_t TimeDefaultsLength = 0;
    std::array<std::uint8_t, 100> Composition{};
    std::uint16_t CompositionLength = 0;
    std::array<std::uint8_t, 5> ConferenceParams{};
    std::array<TFileSlot, kTableCount> Slots;
    std::vector<TFileRecord> Records;
    std::string FileName;
    // Identity taken from the last file read.
    std::string ModelName;
    // By selection index: the last file read holds a record of the table.
    std::array<bool, kTableCount> Held{};
    bool Holds(ETable t) const { return Held[static_cast<std::size_t>(SelectionIndex(t))]; }
    std::uint16_t DoorPhoneCount = 0;
    std::uint16_t RoutingTableCount = 0;

    // Saving. OpenForWrite asks before replacing an existing file.
    EOpenState OpenForWrite(TUserDialogs& dialogs) const;
    void CopyHeaderToFile(const TMainClass& session);
    // false (nothing written) when a table does not fit its record; *error says which.
    bool CopyToFile(const TMainClass& session, ETable t, std::string* error);
    // Writes the new file beside its name, then (with a backupPath) copies the file that
    // stands under the name to backupPath, then renames the new file into place. When any step
    // fails the file under the name stays as it was; a failed backup writes nothing.
    EWriteResult WriteConfiguration(const TDataStream& store, const std::string& backupPath,
                                    std::string* error);

    // Loading. ReadFile reads and checks the whole file before anything is used: header
    // lengths, records cut short, records too large. An unknown model code ends the program.
    EReadResult ReadFile(TUserDialogs& dialogs, std::string* error);
    // The same checks on bytes already in memory.
    EReadResult ReadBytes(std::span<const std::uint8_t> bytes, TUserDialogs& dialogs,
                          std::string* error);
    void ReadTables(const TDataStream& store);
    void CopyHeaderFromFile(TMainClass& session) const;
    const TFileSlot& Slot(ETable t) const { return Slots[static_cast<std::size_t>(SelectionIndex(t))]; }

    // The bytes a save of the selected tables (by selection index) would write.
    std::vector<std::uint8_t> Serialise(const std::array<bool, kTableCount>& selected);
    // The bytes of the last file read, as they were checked.
    const std::vector<std::uint8_t>& Bytes() const { return FileBytes; }

private:
    std::vector<std::uint8_t> FileBytes;
};

}  // namespace zarnik
