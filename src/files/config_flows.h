#pragma once
// Saving the configuration to a file and loading it back, with the program's questions and
// messages. The file dialogs are the caller's: these take the chosen name.

#include <array>
#include <span>
#include <string>
#include <vector>

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
//
// A ticked table the file holds no record of is loaded as a blank image (the store's table is
// cleared), but it is not marked changed, and the session remembers it (LoadedBlank) so that a
// write can warn before it would send that blank image to a station.
bool LoadConfiguration(TMainClass& session, TDataStream& store, TFileList& file,
                       const TTableTicks& ticks, const std::string& fileName);

// The same with the file's bytes already in memory.
bool LoadConfigurationBytes(TMainClass& session, TDataStream& store, TFileList& file,
                            const TTableTicks& ticks, std::span<const std::uint8_t> bytes);

// The four identity lines after a load: the model, the version, the serial number, and the
// buffer line with no figure.
std::array<std::string, 4> LoadedStatusLines(const TDataStream& store);

// The ticked tables (by selection index) whose image in hand is the blank one a load gave them
// because the file did not hold them: written, they would empty the station's table. In
// selection order.
std::vector<ETable> BlankTablesForWrite(const TMainClass& session, const TTableTicks& ticks);

// The warning about those tables ("" for none): names them and says the station's tables
// would be emptied. The question form adds "Записать их в АТС пустыми?" for an OK/Cancel box
// (caption "Предупреждение"); on Cancel the write panel leaves those tables out.
std::string BlankTablesWarning(const std::vector<ETable>& tables);
std::string BlankTablesQuestion(const std::vector<ETable>& tables);

// The tables in the order a load decodes them.
const std::array<ETable, kTableCount>& LoadOrder();

}  // namespace zarnik
