// Writes the seed corpus of codec_roundtrip: every table of a built-in station of each model,
// in the target's input layout, one file per table and model. Run from the project folder:
//   codec_seeds fuzz/corpus/codec_roundtrip
// (built as fuzz/README.md says).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codecs/table_codec.h"
#include "fuzz/fuzz_support.h"
#include "sim/builtin_stations.h"
#include "sim/station_images.h"

using namespace zarnik;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: codec_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    fuzz::TScratchFolder folder;
    const auto& codecs = RegisteredCodecs();
    for (std::size_t m = 0; m < fuzz::kModels.size(); ++m) {
        const std::string model = fuzz::kModels[m];
        fuzz::TFuzzSession s(folder.Path);
        s.Session.Identity.ModelName = model;
        const sim::TSimStation station = sim::MakeBuiltinStation(model, model == "Cedar");
        sim::StationToSession(station, s.Session);
        sim::ImagesToAreas(station, s.Session);
        for (std::size_t c = 0; c < codecs.size(); ++c) {
            std::vector<std::uint8_t> input{static_cast<std::uint8_t>(c),
                                            static_cast<std::uint8_t>(m)};
            for (const TRawSlot& slot : s.Session.Area(codecs[c]->Table).Slots) {
                if (slot.Capacity() > 255)
                    input.push_back(static_cast<std::uint8_t>(slot.Length >> 8));
                input.push_back(static_cast<std::uint8_t>(slot.Length));
                input.insert(input.end(), slot.Valid().begin(), slot.Valid().end());
            }
            // Trailing slots that hold nothing add nothing a shorter input does not say.
            std::ofstream(out / (model + "_" + codecs[c]->Key), std::ios::binary)
                .write(reinterpret_cast<const char*>(input.data()),
                       static_cast<std::streamsize>(input.size()));
        }
    }
    return 0;
}
