#pragma once
// Comma-separated text as spreadsheet programs write and read it: fields split by a separator,
// a field in double quotes may hold the separator, line ends and doubled quotes. Written as
// UTF-8 with a byte-order mark (what a Russian spreadsheet program opens on a double-click) or
// as Windows-1251; read from either, with ";", "," or tab, whichever the header row uses.
//
// A file read here comes from outside the program: its size, the number of its rows and of
// their fields and the length of a field are capped before anything is kept, so a file of any
// size or shape is refused quickly with a message saying why.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarnik {

enum class ECsvEncoding { Utf8Bom, Cp1251 };

struct TCsvFormat {
    ECsvEncoding Encoding = ECsvEncoding::Utf8Bom;
    char Separator = ';';
};

// "utf8" / "cp1251" and ";" "," "tab" (or a tab character), as the command line takes them.
std::optional<ECsvEncoding> CsvEncodingByName(std::string_view name);
std::optional<char> CsvSeparatorByName(std::string_view name);

// Rows of UTF-8 fields as the file's bytes, each row ended by CR LF.
std::string WriteCsv(const std::vector<std::vector<std::string>>& rows, const TCsvFormat& format);

struct TCsvLimits {
    std::size_t MaxBytes = 1 << 20;
    std::size_t MaxRows = 2000;  // blank rows included
    std::size_t MaxFields = 64;
    std::size_t MaxFieldBytes = 1000;
};

struct TCsvRow {
    int Line = 0;                     // the line of the file the row starts on, from 1
    std::vector<std::string> Fields;  // UTF-8
};

struct TCsvTable {
    std::vector<TCsvRow> Rows;  // blank rows left out
    char Separator = ';';
    bool Cp1251 = false;  // the file was not UTF-8
    std::string Error;    // why the file cannot be read as a table; "" when it can
    int ErrorLine = 0;    // the line it was found on, 0 for the whole file
    bool Ok() const { return Error.empty(); }
};

// Reads the bytes of a file. UTF-8 (with or without the byte-order mark) is taken as such;
// anything else as Windows-1251. The separator is the one of ";", "," and tab that the first
// non-blank row holds most of outside quotes (";" when it holds none).
TCsvTable ReadCsv(std::string_view bytes, const TCsvLimits& limits = {});

// The first MaxBytes + 1 bytes of a file at most, so that a huge file is never read whole;
// nullopt (with `error` set) when it cannot be read.
std::optional<std::string> ReadCsvFileHead(const std::string& path, const TCsvLimits& limits,
                                           std::string& error);

}  // namespace zarnik
