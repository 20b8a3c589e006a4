#include "model/data_stream.h"

#include <filesystem>

namespace zarnik {

TDataStream::TDataStream() : TDataStream(std::filesystem::current_path().string()) {}

TDataStream::TDataStream(const std::string& baseDir) {
    TransferFlags.fill(true);
    Ports.reserve(150);
    Names = std::make_shared<TNamesList>(baseDir);
}

}  // namespace zarnik
