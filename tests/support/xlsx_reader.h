#pragma once
// Reads back an .xlsx file the program wrote, so tests can check it cell by cell: sheet names
// in order, texts and numbers by "A1" name, number format ids, column widths, row heights and
// the border lines of every cell. The parts are taken out with `unzip -p`; the XML is the
// plain kind libxlsxwriter writes, so string search is enough.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarnik::test {

struct XlsxCell {
    bool IsNumber = false;
    std::string Text;  // the text of a text cell (empty for numbers and blanks)
    double Number = 0;
    int NumFmtId = 0;  // 49 is the text format "@"
    // Border line styles as the file names them: "" (none), "thin", "medium", ...
    std::string Left, Right, Top, Bottom;
};

struct XlsxSheet {
    std::string Name;
    std::map<std::string, XlsxCell> Cells;  // by "A1" name
    std::map<int, double> ColumnWidths;     // 1-based column -> width as stored in the file
    std::map<int, double> RowHeights;       // 1-based row -> height in points

    const XlsxCell* Find(const std::string& ref) const {
        const auto it = Cells.find(ref);
        return it == Cells.end() ? nullptr : &it->second;
    }
    // The text of a text cell; "" when the cell is missing, blank or a number.
    std::string Text(const std::string& ref) const {
        const XlsxCell* cell = Find(ref);
        return cell == nullptr || cell->IsNumber ? std::string() : cell->Text;
    }
    std::optional<double> Number(const std::string& ref) const {
        const XlsxCell* cell = Find(ref);
        if (cell == nullptr || !cell->IsNumber) return std::nullopt;
        return cell->Number;
    }
    // The width as it was asked for, in characters; the file stores it with the writer's
    // padding for a 7-pixel digit and 5 pixels of margin. -1 when the column has none.
    double ColumnWidthChars(int column) const {
        const auto it = ColumnWidths.find(column);
        if (it == ColumnWidths.end()) return -1;
        const double stored = it->second;
        const double chars = stored >= 12.0 / 7 ? (stored * 7 - 5) / 7 : stored * 7 / 12;
        return std::round(chars * 100) / 100;
    }
};

namespace xlsx_detail {

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// One part of the package; nullopt when the archive does not hold it.
inline std::optional<std::string> Part(const std::string& file, const std::string& member) {
    const std::string command = "unzip -p " + Quote(file) + " " + Quote(member) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run unzip");
    std::string out;
    char buf[8192];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int status = pclose(pipe);
    if (status != 0) return std::nullopt;
    return out;
}

inline std::string RequiredPart(const std::string& file, const std::string& member) {
    auto part = Part(file, member);
    if (!part) throw std::runtime_error(file + " has no " + member);
    return *part;
}

inline void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// XML entities, and the _xHHHH_ escapes the format uses for control characters.
inline std::string Unescape(std::string_view s) {
    static const std::pair<std::string_view, char> named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        bool done = false;
        for (const auto& [entity, c] : named) {
            if (s.substr(i).starts_with(entity)) {
                out += c, i += entity.size(), done = true;
                break;
            }
        }
        if (done) continue;
        if (s.substr(i).starts_with("&#")) {
            const auto semi = s.find(';', i);
            if (semi == std::string_view::npos) {
                out += s.substr(i);
                break;
            }
            const bool hex = i + 2 < s.size() && (s[i + 2] == 'x' || s[i + 2] == 'X');
            const std::size_t start = i + (hex ? 3 : 2);
            unsigned long cp = 0;
            std::from_chars(s.data() + start, s.data() + semi, cp, hex ? 16 : 10);
            AppendUtf8(out, cp);
            i = semi + 1;
            continue;
        }
        if (s.substr(i).starts_with("_x") && i + 7 <= s.size() && s[i + 6] == '_') {
            unsigned long cp = 0;
            const auto [end, ec] = std::from_chars(s.data() + i + 2, s.data() + i + 6, cp, 16);
            if (ec == std::errc() && end == s.data() + i + 6) {
                AppendUtf8(out, cp);
                i += 7;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

// The value of attribute `name` in the tag text `tag`; "" when it has none.
inline std::string Attr(std::string_view tag, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const auto at = tag.find(key);
    if (at == std::string_view::npos) return "";
    const auto start = at + key.size();
    return Unescape(tag.substr(start, tag.find('"', start) - start));
}

inline double ToDouble(const std::string& s) {
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

inline int ToInt(const std::string& s) {
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

// Every element `<name ...>` (or `<name>`, `<name/>`) in `xml`: the opening tag and, unless
// it closes itself, what lies between it and `</name>`.
struct Element {
    std::string_view Tag;
    std::string_view Body;
};

inline std::vector<Element> Elements(std::string_view xml, std::string_view name) {
    std::vector<Element> out;
    const std::string open = "<" + std::string(name);
    const std::string close = "</" + std::string(name) + ">";
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at)) {
        const char next = at + open.size() < xml.size() ? xml[at + open.size()] : '\0';
        if (next != ' ' && next != '>' && next != '/') {
            at += open.size();
            continue;
        }
        const auto tagEnd = xml.find('>', at);
        if (tagEnd == std::string_view::npos) break;
        const std::string_view tag = xml.substr(at, tagEnd + 1 - at);
        if (tag.ends_with("/>")) {
            out.push_back({tag, {}});
            at = tagEnd + 1;
            continue;
        }
        const auto bodyEnd = xml.find(close, tagEnd);
        if (bodyEnd == std::string_view::npos) break;
        out.push_back({tag, xml.substr(tagEnd + 1, bodyEnd - tagEnd - 1)});
        at = bodyEnd + close.size();
    }
    return out;
}

inline std::string_view Section(std::string_view xml, std::string_view name) {
    const auto parts = Elements(xml, name);
    return parts.empty() ? std::string_view() : parts.front().Body;
}

// All <t> texts of a string item, joined (rich text has several).
inline std::string ItemText(std::string_view si) {
    std::string out;
    for (const auto& t : Elements(si, "t")) out += Unescape(t.Body);
    return out;
}

struct Style {
    int NumFmtId = 0;
    std::string Left, Right, Top, Bottom;
};

inline std::vector<Style> Styles(const std::string& stylesXml) {
    std::vector<std::vector<std::string>> borders;
    for (const auto& border : Elements(Section(stylesXml, "borders"), "border")) {
        std::vector<std::string> lines;
        for (const char* side : {"left", "right", "top", "bottom"}) {
            const auto edge = Elements(border.Body, side);
            lines.push_back(edge.empty() ? std::string() : Attr(edge.front().Tag, "style"));
        }
        borders.push_back(lines);
    }
    std::vector<Style> styles;
    for (const auto& xf : Elements(Section(stylesXml, "cellXfs"), "xf")) {
        Style style;
        style.NumFmtId = ToInt(Attr(xf.Tag, "numFmtId"));
        const auto id = static_cast<std::size_t>(ToInt(Attr(xf.Tag, "borderId")));
        if (id < borders.size()) {
            style.Left = borders[id][0], style.Right = borders[id][1];
            style.Top = borders[id][2], style.Bottom = borders[id][3];
        }
        styles.push_back(style);
    }
    return styles;
}

inline XlsxCell ReadCell(const Element& c, const std::vector<std::string>& strings,
                         const std::vector<Style>& styles) {
    XlsxCell cell;
    const auto s = static_cast<std::size_t>(ToInt(Attr(c.Tag, "s")));
    if (s < styles.size()) {
        cell.NumFmtId = styles[s].NumFmtId;
        cell.Left = styles[s].Left, cell.Right = styles[s].Right;
        cell.Top = styles[s].Top, cell.Bottom = styles[s].Bottom;
    }
    const std::string type = Attr(c.Tag, "t");
    const auto v = Elements(c.Body, "v");
    const std::string value = v.empty() ? std::string() : Unescape(v.front().Body);
    if (type == "s") {
        const auto index = static_cast<std::size_t>(ToInt(value));
        if (index < strings.size()) cell.Text = strings[index];
    } else if (type == "inlineStr") {
        cell.Text = ItemText(Section(c.Body, "is"));
    } else if (type == "str") {
        cell.Text = value;
    } else if (!v.empty()) {
        cell.IsNumber = true;
        cell.Number = ToDouble(value);
    }
    return cell;
}

inline XlsxSheet ReadSheet(const std::string& xml, const std::vector<std::string>& strings,
                           const std::vector<Style>& styles) {
    XlsxSheet sheet;
    for (const auto& col : Elements(Section(xml, "cols"), "col")) {
        const double width = ToDouble(Attr(col.Tag, "width"));
        const int last = ToInt(Attr(col.Tag, "max"));
        for (int i = ToInt(Attr(col.Tag, "min")); i <= last; ++i) sheet.ColumnWidths[i] = width;
    }
    for (const auto& row : Elements(Section(xml, "sheetData"), "row")) {
        const std::string height = Attr(row.Tag, "ht");
        if (!height.empty()) sheet.RowHeights[ToInt(Attr(row.Tag, "r"))] = ToDouble(height);
        for (const auto& c : Elements(row.Body, "c")) {
            sheet.Cells[Attr(c.Tag, "r")] = ReadCell(c, strings, styles);
        }
    }
    return sheet;
}

}  // namespace xlsx_detail

struct XlsxBook {
    std::vector<XlsxSheet> Sheets;

    // Throws std::runtime_error when the file is not a readable workbook.
    static XlsxBook Read(const std::string& file) {
        using namespace xlsx_detail;
        const std::string workbook = RequiredPart(file, "xl/workbook.xml");
        const std::string rels = RequiredPart(file, "xl/_rels/workbook.xml.rels");
        const std::vector<Style> styles = Styles(RequiredPart(file, "xl/styles.xml"));
        std::vector<std::string> strings;
        if (const auto sst = Part(file, "xl/sharedStrings.xml")) {
            for (const auto& si : Elements(*sst, "si")) strings.push_back(ItemText(si.Body));
        }
        std::map<std::string, std::string> targets;
        for (const auto& rel : Elements(rels, "Relationship")) {
            std::string target = Attr(rel.Tag, "Target");
            target = target.starts_with('/') ? target.substr(1) : "xl/" + target;
            targets[Attr(rel.Tag, "Id")] = target;
        }
        XlsxBook book;
        for (const auto& entry : Elements(Section(workbook, "sheets"), "sheet")) {
            const std::string target = targets[Attr(entry.Tag, "r:id")];
            XlsxSheet sheet = ReadSheet(RequiredPart(file, target), strings, styles);
            sheet.Name = Attr(entry.Tag, "name");
            book.Sheets.push_back(std::move(sheet));
        }
        return book;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& sheet : Sheets) names.push_back(sheet.Name);
        return names;
    }
    const XlsxSheet* Find(const std::string& name) const {
        for (const auto& sheet : Sheets) {
            if (sheet.Name == name) return &sheet;
        }
        return nullptr;
    }
};

// "A1" for 0-based (column, row).
inline std::string XlsxRef(int column, int row) {
    std::string letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    }
    return letters + std::to_string(row + 1);
}

}  // namespace zarnik::test
