#pragma once
// Saving the configuration to a file and loading it back, with the program's questions and
// messages. The file dialogs are the caller's: these take the chosen name.

#include <array>
#include <span>
#include <string>

#include "files/file_list.h"
#include "link/main_class.h"
#include "model/data_stream.h"

namespace zarnik {

using TTableTicks = std::array<bool, kTableCount>;  // by selection index

// "Отметить все": unticks everything when the first box ("Установки АЛ") is ticked, else ticks all.
void ToggleAllTicks(TTableTicks& ticks);

// true when the file was written. The previous file under the name survives as "ats.bak" in
// the session's working directory.
bool SaveConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName);

// true when the file was loaded. The whole file is checked first: a file that does not fit
// shows one message and changes nothing in the session or the store.
bool LoadConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName);

// The same with the file's bytes already in memory.
bool LoadConfigurationBytes(TMainClass& session, TDataStream& store, TFileList& file,
                            const TTableTicks& ticks, std::span<const std::uint8_t> bytes);

// The four identity lines after a load: the model, the version, the serial number, and the
// buffer line with no figure.
std::array<std::string, 4> LoadedStatusLines(const TDataStream& store);

// The tables in the order a load decodes them.
const std::array<ETable, kTableCount>& LoadOrder();

}  // namespace zarnik
