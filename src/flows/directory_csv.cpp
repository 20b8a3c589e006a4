#include "flows/directory_csv.h"

#include <array>
#include <fstream>

#include "platform/text_1251.h"

namespace zarnik {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool NeedsQuotes(const std::string& field, char separator) {
    if (field.empty()) return false;
    if (field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string::npos)
        return true;
    // Spreadsheet programs drop spaces around a bare field.
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    return space(field.front()) || space(field.back());
}

std::string Quoted(const std::string& field) {
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// The length of the UTF-8 sequence at `i`, 0 when it is malformed.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    // Overlong forms and surrogates are no characters.
    const unsigned char second = byte(i + 1);
    if (lead == 0xE0 && second < 0xA0) return 0;
    if (lead == 0xED && second >= 0xA0) return 0;
    if (lead == 0xF0 && second < 0x90) return 0;
    if (lead == 0xF4 && second >= 0x90) return 0;
    return length;
}

// The line (from 1) of the first malformed UTF-8 sequence, 0 when there is none.
int FirstBadUtf8Line(std::string_view text) {
    int line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceAt(text, i);
        if (n == 0) return line;
        if (text[i] == '\n') ++line;
        i += n;
    }
    return 0;
}

// The line of the first byte no text file holds (a control character other than tab and the
// line ends), 0 when there is none.
int FirstBinaryLine(std::string_view bytes) {
    int line = 1;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n') ++line;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return line;
    }
    return 0;
}

// The separator the first non-blank line uses most, outside quotes.
char DetectSeparator(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == '\r' || text[start] == '\n')) ++start;
    std::array<std::size_t, 3> counts{};
    constexpr std::array<char, 3> kCandidates{';', ',', '\t'};
    bool quoted = false;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\r' || c == '\n') break;
        for (std::size_t k = 0; k < kCandidates.size(); ++k) counts[k] += c == kCandidates[k];
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < counts.size(); ++k)
        if (counts[k] > counts[best]) best = k;
    return kCandidates[best];
}

bool BlankRow(const std::vector<std::string>& fields) {
    for (const std::string& f : fields)
        if (f.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

std::string TooMany(std::size_t n, const char* what) {
    return "больше " + std::to_string(n) + " " + what;
}

// Splits UTF-8 text into rows of fields.
class TCsvSplitter {
  public:
    TCsvSplitter(std::string_view text, const TCsvLimits& limits, TCsvTable& out)
        : Text(text), Limits(limits), Out(out) {}

    void Run() {
        Row.Line = 1;
        for (std::size_t i = 0; i < Text.size() && Out.Ok(); ++i) {
            const char c = Text[i];
            if (Quoted) {
                if (c == '"') {
                    if (i + 1 < Text.size() && Text[i + 1] == '"') {
                        Append(c);
                        ++i;
                    } else {
                        Quoted = false;
                    }
                    continue;
                }
                if (c == '\n' || (c == '\r' && !(i + 1 < Text.size() && Text[i + 1] == '\n')))
                    ++Line;
                Append(c);
                continue;
            }
            if (c == '"' && FieldStart) {
                Quoted = true;
                QuoteLine = Line;
                FieldStart = false;
                continue;
            }
            if (c == Out.Separator) {
                EndField();
                continue;
            }
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
                EndRow();
                ++Line;
                Row.Line = Line;
                continue;
            }
            FieldStart = false;
            Append(c);
        }
        if (!Out.Ok()) return;
        if (Quoted) {
            Fail("кавычка, открытая в строке " + std::to_string(QuoteLine) + ", не закрыта",
                 QuoteLine);
            return;
        }
        if (!Field.empty() || !Row.Fields.empty()) EndRow();
    }

  private:
    std::string_view Text;
    const TCsvLimits& Limits;
    TCsvTable& Out;
    TCsvRow Row;
    std::string Field;
    bool Quoted = false;
    bool FieldStart = true;
    int Line = 1;
    int QuoteLine = 0;
    std::size_t RowCount = 0;

    void Fail(const std::string& why, int line) {
        Out.Error = why;
        Out.ErrorLine = line;
    }
    void Append(char c) {
        if (Field.size() >= Limits.MaxFieldBytes) {
            Fail("значение длиннее " + std::to_string(Limits.MaxFieldBytes) + " байт", Row.Line);
            return;
        }
        Field += c;
    }
    void EndField() {
        if (Row.Fields.size() >= Limits.MaxFields) {
            Fail("в строке " + TooMany(Limits.MaxFields, "столбцов"), Row.Line);
            return;
        }
        Row.Fields.push_back(std::move(Field));
        Field.clear();
        FieldStart = true;
    }
    void EndRow() {
        EndField();
        if (!Out.Ok()) return;
        if (++RowCount > Limits.MaxRows) {
            Fail("в файле " + TooMany(Limits.MaxRows, "строк"), Row.Line);
            return;
        }
        if (!BlankRow(Row.Fields)) Out.Rows.push_back(std::move(Row));
        Row = TCsvRow{};
    }
};

}  // namespace

std::optional<ECsvEncoding> CsvEncodingByName(std::string_view name) {
    if (name == "utf8" || name == "utf-8" || name == "UTF-8") return ECsvEncoding::Utf8Bom;
    if (name == "cp1251" || name == "windows-1251" || name == "Windows-1251")
        return ECsvEncoding::Cp1251;
    return std::nullopt;
}

std::optional<char> CsvSeparatorByName(std::string_view name) {
    if (name == ";" || name == "," || name == "\t") return name.front();
    if (name == "tab") return '\t';
    return std::nullopt;
}

std::string WriteCsv(const std::vector<std::vector<std::string>>& rows, const TCsvFormat& format) {
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += format.Separator;
            text += NeedsQuotes(row[i], format.Separator) ? Quoted(row[i]) : row[i];
        }
        text += "\r\n";
    }
    if (format.Encoding == ECsvEncoding::Cp1251) return Utf8ToCp1251(text);
    return std::string(kUtf8Bom) + text;
}

TCsvTable ReadCsv(std::string_view bytes, const TCsvLimits& limits) {
    TCsvTable out;
    if (bytes.size() > limits.MaxBytes) {
        out.Error = "файл больше " + std::to_string(limits.MaxBytes / 1024) +
                    " КБ: это не лист справочника";
        return out;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        out.Error =
            "файл записан в кодировке UTF-16: сохраните его как CSV в кодировке UTF-8 "
            "или Windows-1251";
        return out;
    }
    if (const int line = FirstBinaryLine(bytes); line > 0) {
        out.Error = "в файле есть двоичные данные: это не текстовая таблица CSV";
        out.ErrorLine = line;
        return out;
    }
    std::string text;
    if (bytes.starts_with(kUtf8Bom)) {
        bytes.remove_prefix(kUtf8Bom.size());
        if (const int line = FirstBadUtf8Line(bytes); line > 0) {
            out.Error = "файл помечен как UTF-8, но в нем есть байты не в кодировке UTF-8";
            out.ErrorLine = line;
            return out;
        }
        text = std::string(bytes);
    } else if (FirstBadUtf8Line(bytes) == 0) {
        text = std::string(bytes);
    } else {
        out.Cp1251 = true;
        text = Cp1251ToUtf8(bytes);
    }
    out.Separator = DetectSeparator(text);
    TCsvSplitter(text, limits, out).Run();
    if (!out.Ok()) out.Rows.clear();
    return out;
}

std::optional<std::string> ReadCsvFileHead(const std::string& path, const TCsvLimits& limits,
                                           std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "не удается открыть файл " + path;
        return std::nullopt;
    }
    std::string bytes(limits.MaxBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = "не удается прочитать файл " + path;
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace zarnik
