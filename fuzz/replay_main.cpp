// Runs a fuzz target over files, without libFuzzer: each argument is a file or a folder whose
// files are run in name order. The tests replay the committed corpora this way in every build,
// the sanitizer build included. Exits 1 when an argument names nothing to run.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::filesystem::path> FilesOf(const std::filesystem::path& arg) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (std::filesystem::is_regular_file(arg, ec)) {
        files.push_back(arg);
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        const auto files = FilesOf(argv[i]);
        if (files.empty()) {
            std::fprintf(stderr, "replay: nothing to run in %s\n", argv[i]);
            return 1;
        }
        for (const auto& file : files) {
            const std::vector<std::uint8_t> bytes = ReadAll(file);
            // A copy of exactly the input's size, so that a read past its end is caught.
            std::unique_ptr<std::uint8_t[]> input(
                new std::uint8_t[std::max<std::size_t>(bytes.size(), 1)]);
            std::copy(bytes.begin(), bytes.end(), input.get());
            LLVMFuzzerTestOneInput(input.get(), bytes.size());
            ++runs;
        }
    }
    if (runs == 0) {
        std::fprintf(stderr, "replay: no inputs given\n");
        return 1;
    }
    std::printf("replay: %zu inputs run\n", runs);
    return 0;
}
