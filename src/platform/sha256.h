#pragma once
// SHA-256 of a byte string, as "sha256sum" prints it: a configuration file named in the
// station's journal can be checked against the record with the system's own tools.

#include <cstdint>
#include <span>
#include <string>

namespace zarnik {

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace zarnik
