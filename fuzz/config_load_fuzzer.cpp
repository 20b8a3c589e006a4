// A configuration file's bytes through the load flow, every table ticked, as "Загрузить файл"
// does after the user picked a file. A file that loads is then saved back (every table packed)
// and edited (every table encoded again), as the user's next steps would do.

#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/table_codec.h"
#include "files/config_flows.h"
#include "files/file_list.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace zarnik;

struct TState {
    fuzz::TScratchFolder Folder;
    fuzz::TFuzzSession Fresh{Folder.Path};
    TState() { Fresh.Keep(); }
};

TState& State() {
    static TState state;
    return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TState& state = State();
    state.Fresh.Reset();
    TMainClass& session = state.Fresh.Session;
    TDataStream& store = *state.Fresh.Store;

    TTableTicks ticks{};
    ticks.fill(true);
    TFileList file;
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        if (!LoadConfigurationBytes(session, store, file, ticks, bytes)) return 0;
    } catch (const TExitProgram&) {
        // A file of a device the program does not know ends the program after its message,
        // as it always has; that is an answer, not a fault.
        return 0;
    }

    for (const TTableCodec* codec : RegisteredCodecs()) {
        const std::vector<std::uint8_t> record = codec->Pack(session);
        // What the program saves from a file it loaded must load again.
        if (!codec->Unpack(session, record)) fuzz::Fail("a packed table does not unpack");
    }
    for (const TTableCodec* codec : RegisteredCodecs()) {
        codec->Encode(session, store);
        codec->Pack(session);
    }
    return 0;
}
