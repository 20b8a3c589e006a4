#include "report/excel_app.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/xlsx_reader.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;
using test::XlsxBook;

// A fresh folder per test, removed afterwards.
class ExcelAppFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "zarnik_excel_XXXXXX").string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        Dir = name;
    }
    void TearDown() override { fs::remove_all(Dir); }
    std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Dir)) names.push_back(e.path().filename());
        return names;
    }
    fs::path Dir;
};

const ExcelCell* CellOf(const ExcelApp& app, int sheet, int column, int row) {
    const auto& cells = app.Workbook()->Sheets.at(sheet - 1).Cells;
    const auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

TEST_F(ExcelAppFileTest, WrittenWorkbookReadsBackCellByCell) {
    ExcelApp app;
    app.SetOpenInViewer(false);
    app.Open("report", 1, 1);
    ASSERT_TRUE(app.AddSheet());
    ASSERT_TRUE(app.AddSheet());
    ASSERT_TRUE(app.NameSheet("Состав АТС", 1));
    ASSERT_TRUE(app.NameSheet("АЛ", 2));
    ASSERT_TRUE(app.NameSheet("Общая_зап._книжка", 5));

    ASSERT_TRUE(app.SelectSheet(2));
    EXPECT_TRUE(app.SetText(0, 2, "СПИСОК АЛ"));
    EXPECT_TRUE(app.SetText(3, 3, "Имя АЛ"));
    EXPECT_TRUE(app.SetText(1, 4, "201"));  // digits stay text under "@"
    EXPECT_TRUE(app.SetValue(2, 4, "42"));  // a value becomes a number
    EXPECT_TRUE(app.SetText(3, 4, "Секретарь & <Шеф> \"1\" 'a'"));
    app.SetColumnWidth(1, 4, 40);
    app.SetColumnWidth(1, 1, 10);
    app.SetRowHeight(4, 1, 25);
    EXPECT_TRUE(app.FrameRange(0, 3, 3, 5));  // A4:D6

    ASSERT_TRUE(app.SelectSheet(5));
    EXPECT_TRUE(app.SetValue(2, 3, "Иванов"));

    app.SetOutputPath(PathOf("report.xlsx"));
    app.Show();

    const XlsxBook book = XlsxBook::Read(PathOf("report.xlsx"));
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"Состав АТС", "АЛ", "Лист3", "Лист4",
                                                      "Общая_зап._книжка"}));
    const auto& al = book.Sheets[1];
    EXPECT_EQ(al.Text("A3"), "СПИСОК АЛ");
    EXPECT_EQ(al.Text("D4"), "Имя АЛ");
    EXPECT_EQ(al.Text("B5"), "201");
    EXPECT_EQ(al.Find("B5")->NumFmtId, 49);
    EXPECT_EQ(al.Number("C5"), 42.0);
    EXPECT_EQ(al.Find("C5")->NumFmtId, 0);
    EXPECT_EQ(al.Text("D5"), "Секретарь & <Шеф> \"1\" 'a'");
    EXPECT_DOUBLE_EQ(al.ColumnWidthChars(4), 40);
    EXPECT_DOUBLE_EQ(al.ColumnWidthChars(1), 10);
    EXPECT_EQ(al.ColumnWidthChars(2), -1);
    EXPECT_DOUBLE_EQ(al.RowHeights.at(4), 25);

    // Medium outside, thin inside; cells beyond the block have no lines.
    const auto* a4 = al.Find("A4");
    ASSERT_NE(a4, nullptr);
    EXPECT_EQ(a4->Left, "medium");
    EXPECT_EQ(a4->Top, "medium");
    EXPECT_EQ(a4->Right, "thin");
    EXPECT_EQ(a4->Bottom, "thin");
    const auto* c5 = al.Find("C5");
    EXPECT_EQ(c5->Left + c5->Right + c5->Top + c5->Bottom, "thinthinthinthin");
    const auto* d6 = al.Find("D6");
    ASSERT_NE(d6, nullptr);  // framed, though never written
    EXPECT_EQ(d6->Right, "medium");
    EXPECT_EQ(d6->Bottom, "medium");
    EXPECT_EQ(d6->Left, "thin");
    EXPECT_EQ(al.Find("E4"), nullptr);
    EXPECT_EQ(al.Find("A7"), nullptr);
    // The framed text cell keeps its text format.
    EXPECT_EQ(al.Find("D4")->NumFmtId, 49);

    EXPECT_EQ(book.Sheets[4].Text("C4"), "Иванов");
    EXPECT_TRUE(book.Sheets[0].Cells.empty());
}

TEST_F(ExcelAppFileTest, ShowKeepsTheWorkbookUntilDetach) {
    ExcelApp app;
    app.SetOpenInViewer(false);
    app.SetOutputPath(PathOf("a.xlsx"));
    app.Open("a", 1, 1);
    app.SetText(0, 0, "one");
    app.Show();
    app.SetText(0, 1, "two");
    app.Show();  // shown again with the later cell
    EXPECT_EQ(XlsxBook::Read(PathOf("a.xlsx")).Sheets[0].Text("A2"), "two");
    app.Detach();
    EXPECT_FALSE(app.IsOpen());
    EXPECT_THROW(app.Show(), EExcelError);
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.xlsx"});
}

TEST_F(ExcelAppFileTest, UnwritableFileFailsCleanly) {
    ExcelApp app;
    app.SetOpenInViewer(false);
    app.Open("r", 1, 1);
    app.SetText(0, 0, "x");

    app.SetOutputPath(PathOf("missing/report.xlsx"));
    EXPECT_THROW(app.Show(), EExcelError);
    EXPECT_TRUE(Entries().empty());

    // The name is taken by a folder: the rename fails and the temporary goes away.
    fs::create_directory(Dir / "taken.xlsx");
    app.SetOutputPath(PathOf("taken.xlsx"));
    EXPECT_THROW(app.Show(), EExcelError);
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken.xlsx"});
    EXPECT_TRUE(fs::is_directory(Dir / "taken.xlsx"));

    // The failure leaves the workbook open: a good path still works.
    app.SetOutputPath(PathOf("good.xlsx"));
    app.Show();
    EXPECT_EQ(XlsxBook::Read(PathOf("good.xlsx")).Sheets[0].Text("A1"), "x");
}

// A workbook whose sheet the file cannot hold: the write fails half way.
class BadSheetApp : public ExcelApp {
  protected:
    ExcelWorkbook CreateWorkbook() override {
        ExcelWorkbook book;
        book.Sheets.resize(2);
        book.Sheets[0].Name = "ok";
        book.Sheets[1].Name = "bad/name";
        return book;
    }
};

TEST_F(ExcelAppFileTest, FailedWriteLeavesTheOldFileAlone) {
    const std::string path = PathOf("report.xlsx");
    { std::ofstream(path) << "old"; }
    chmod(path.c_str(), 0600);
    BadSheetApp app;
    app.SetOpenInViewer(false);
    app.Open("r", 1, 1);
    app.SetOutputPath(path);
    EXPECT_THROW(app.Show(), EExcelError);
    EXPECT_EQ(Entries(), std::vector<std::string>{"report.xlsx"});
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");

    // A good write replaces it and keeps its permissions.
    ExcelApp good;
    good.SetOpenInViewer(false);
    good.Open("r", 1, 1);
    good.SetOutputPath(path);
    good.Show();
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(XlsxBook::Read(path).Sheets.size(), 3u);
}

TEST_F(ExcelAppFileTest, CloseAndQuitSavesOnlyWhenAskedAndReportsFailure) {
    ExcelApp app;
    app.Open("r", 1, 1);
    EXPECT_TRUE(app.CloseAndQuit(0, PathOf("no.xlsx")));
    EXPECT_FALSE(app.IsOpen());
    EXPECT_TRUE(Entries().empty());

    app.Open("r", 1, 1);
    app.SetText(1, 1, "saved");
    EXPECT_TRUE(app.CloseAndQuit(1, PathOf("yes.xlsx")));
    EXPECT_EQ(XlsxBook::Read(PathOf("yes.xlsx")).Sheets[0].Text("B2"), "saved");

    app.Open("r", 1, 1);
    EXPECT_FALSE(app.CloseAndQuit(1, PathOf("missing/x.xlsx")));  // absorbed, but not hidden
    EXPECT_FALSE(app.IsOpen());
}

TEST(ExcelAppFrame, OuterLinesMediumInnerThin) {
    ExcelApp app;
    app.Open("r", 1, 1);
    ASSERT_TRUE(app.FrameRange(2, 2, 2, 2));  // one cell: medium all round
    const ExcelCell* one = CellOf(app, 1, 2, 2);
    EXPECT_EQ(one->Left, ExcelLine::Medium);
    EXPECT_EQ(one->Right, ExcelLine::Medium);
    EXPECT_EQ(one->Top, ExcelLine::Medium);
    EXPECT_EQ(one->Bottom, ExcelLine::Medium);

    ASSERT_TRUE(app.FrameRange(4, 0, 0, 0));  // one row, corners given right to left
    for (int column = 0; column <= 4; ++column) {
        const ExcelCell* c = CellOf(app, 1, column, 0);
        EXPECT_EQ(c->Top, ExcelLine::Medium) << column;
        EXPECT_EQ(c->Bottom, ExcelLine::Medium) << column;
        EXPECT_EQ(c->Left, column == 0 ? ExcelLine::Medium : ExcelLine::Thin) << column;
        EXPECT_EQ(c->Right, column == 4 ? ExcelLine::Medium : ExcelLine::Thin) << column;
    }
}

TEST(ExcelAppFrame, RefusedBlocksChangeNothing) {
    ExcelApp app;
    EXPECT_FALSE(app.FrameRange(0, 0, 1, 1));  // nothing open
    app.Open("r", 1, 1);
    EXPECT_FALSE(app.FrameRange(-1, 0, 1, 1));
    EXPECT_FALSE(app.FrameRange(0, 0, ExcelMaxColumns, 1));
    EXPECT_FALSE(app.FrameRange(0, 0, ExcelMaxColumns - 1, ExcelMaxRows - 1));  // too large
    EXPECT_TRUE(app.Workbook()->Sheets[0].Cells.empty());
}

TEST(ExcelAppSheets, RefusedNamesKeepTheOldName) {
    ExcelApp app;
    app.Open("r", 1, 1);
    ASSERT_TRUE(app.NameSheet("Состав АТС", 1));
    std::string name31;
    for (int i = 0; i < 31; ++i) name31 += "Ж";
    EXPECT_TRUE(app.NameSheet(name31, 2));
    for (const std::string& bad :
         {name31 + "Ж", std::string(), std::string("a[b"), std::string("a]b"), std::string("a:b"),
          std::string("a*b"), std::string("a?b"), std::string("a/b"), std::string("a\\b"),
          std::string("'ab"), std::string("ab'"), std::string("\xD0"), std::string("history"),
          std::string("a\tb"), std::string("состав атс")}) {
        EXPECT_FALSE(app.NameSheet(bad, 3)) << bad;
    }
    EXPECT_EQ(app.Workbook()->Sheets[2].Name, "Лист3");
    EXPECT_TRUE(app.NameSheet("Состав АТС", 1));  // its own name again
    EXPECT_TRUE(app.NameSheet("a'b", 3));         // an apostrophe inside is fine
    EXPECT_FALSE(app.NameSheet("x", 0));
    EXPECT_FALSE(app.NameSheet("x", 4));
}

TEST(ExcelAppSheets, AddedSheetsGetFreshNamesAndSelectionIsChecked) {
    ExcelApp app;
    app.Open("r", 1, 1);
    ASSERT_TRUE(app.NameSheet("лист4", 1));  // takes the next default name, in another case
    ASSERT_TRUE(app.AddSheet());
    const auto& sheets = app.Workbook()->Sheets;
    ASSERT_EQ(sheets.size(), 4u);
    EXPECT_EQ(sheets[3].Name, "Лист5");
    EXPECT_EQ(app.CurrentSheet(), 1);  // adding does not move the current sheet
    EXPECT_TRUE(app.SelectSheet(4));
    EXPECT_FALSE(app.SelectSheet(5));
    EXPECT_FALSE(app.SelectSheet(0));
    EXPECT_EQ(app.CurrentSheet(), 4);
    app.SetText(0, 0, "here");
    EXPECT_NE(CellOf(app, 4, 0, 0), nullptr);
    EXPECT_EQ(CellOf(app, 1, 0, 0), nullptr);
}

TEST(ExcelAppCells, ValuesBecomeNumbersOnlyWhenNothingIsLost) {
    ExcelApp app;
    app.Open("r", 1, 1);
    const auto valueOf = [&](const std::string& text) {
        app.SetValue(0, 0, text);
        return CellOf(app, 1, 0, 0)->Value;
    };
    EXPECT_EQ(std::get<double>(valueOf("42")), 42);
    EXPECT_EQ(std::get<double>(valueOf("-3.25")), -3.25);
    EXPECT_EQ(std::get<double>(valueOf("0")), 0);
    EXPECT_EQ(std::get<double>(valueOf("0.05")), 0.05);
    for (const char* text : {"070", "1,5", "1.50", "+1", "-0", "1e5", "12345678901234567", "=1+1",
                             " 1", "1.", ".5", "-"}) {
        EXPECT_EQ(std::get<std::string>(valueOf(text)), text) << text;
    }
    EXPECT_TRUE(std::holds_alternative<std::monostate>(valueOf("")));

    // A cell once given the text format keeps taking values as text.
    app.SetText(1, 1, "x");
    app.SetValue(1, 1, "15");
    EXPECT_EQ(std::get<std::string>(CellOf(app, 1, 1, 1)->Value), "15");
    EXPECT_TRUE(CellOf(app, 1, 1, 1)->TextFormat);
    EXPECT_FALSE(CellOf(app, 1, 0, 0)->TextFormat);
}

TEST(ExcelAppCells, BadTextIsMendedOrRefused) {
    ExcelApp app;
    app.Open("r", 1, 1);
    // A stray single-byte text (as from the store, unconverted) keeps its readable part.
    ASSERT_TRUE(app.SetText(0, 0, std::string("AB\xC0\xC1") + '\0' + "C"));
    EXPECT_EQ(std::get<std::string>(CellOf(app, 1, 0, 0)->Value),
              "AB\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "C");

    EXPECT_TRUE(app.SetText(0, 1, std::string(ExcelMaxText, 'a')));
    EXPECT_FALSE(app.SetText(0, 2, std::string(ExcelMaxText + 1, 'a')));
    EXPECT_EQ(CellOf(app, 1, 0, 2), nullptr);
    EXPECT_FALSE(app.SetText(-1, 0, "x"));
    EXPECT_FALSE(app.SetValue(0, ExcelMaxRows, "x"));
    EXPECT_TRUE(app.SetText(ExcelMaxColumns - 1, ExcelMaxRows - 1, "corner"));
}

TEST(ExcelAppFailures, ClosedWorkbookAbsorbsOrThrowsAsEachCallShould) {
    ExcelApp app;
    EXPECT_FALSE(app.SetInteractive(0));
    EXPECT_FALSE(app.AddSheet());
    EXPECT_FALSE(app.NameSheet("x", 1));
    EXPECT_FALSE(app.SelectSheet(1));
    EXPECT_FALSE(app.SetText(0, 0, "x"));
    EXPECT_FALSE(app.SetValue(0, 0, "x"));
    EXPECT_TRUE(app.CloseAndQuit(0, ""));
    EXPECT_THROW(app.SetColumnWidth(1, 1, 10), EExcelError);
    EXPECT_THROW(app.SetRowHeight(1, 1, 10), EExcelError);
    EXPECT_THROW(app.Show(), EExcelError);
    EXPECT_NO_THROW(app.Detach());

    app.Open("r", 0, 1);
    EXPECT_EQ(app.Interactive(), 0);
    EXPECT_EQ(app.Caption(), "r");
    EXPECT_THROW(app.Show(), EExcelError);  // no output path
    EXPECT_THROW(app.SetColumnWidth(1, 0, 10), EExcelError);
    EXPECT_THROW(app.SetColumnWidth(1, ExcelMaxColumns + 1, 10), EExcelError);
    EXPECT_THROW(app.SetColumnWidth(0, 1, 10), EExcelError);
    EXPECT_THROW(app.SetColumnWidth(1, 1, 256), EExcelError);
    EXPECT_THROW(app.SetColumnWidth(1, 1, -1), EExcelError);
    EXPECT_THROW(app.SetColumnWidth(1, 1, std::nan("")), EExcelError);
    EXPECT_THROW(app.SetRowHeight(1, 1, 410), EExcelError);
    EXPECT_THROW(app.SetRowHeight(ExcelMaxRows + 1, 1, 10), EExcelError);
    EXPECT_TRUE(app.Workbook()->Sheets[0].ColumnWidths.empty());
    app.SetColumnWidth(7, 30, 3);  // the row only names a cell of the column
    EXPECT_EQ(app.Workbook()->Sheets[0].ColumnWidths.at(29), 3);
}

class NoSheetsApp : public ExcelApp {
  protected:
    ExcelWorkbook CreateWorkbook() override { return {}; }
};

TEST(ExcelAppFailures, OpenAbortsSilentlyAndClosesWhatItStarted) {
    NoSheetsApp app;
    try {
        app.Open("r", 1, 1);
        FAIL() << "Open did not abort";
    } catch (const EExcelAbort& e) {
        EXPECT_STREQ(e.what(), "Не могу создать объект Excel");
    }
    EXPECT_FALSE(app.IsOpen());
    EXPECT_FALSE(app.SetText(0, 0, "x"));
    // Callers that end quietly on any failure of the report can catch one type.
    EXPECT_THROW(app.Open("r", 1, 1), EExcelError);
}

TEST(ExcelAppCells, CellNamesCountFromZero) {
    EXPECT_EQ(ExcelCellName(0, 0), "A1");
    EXPECT_EQ(ExcelCellName(25, 3), "Z4");
    EXPECT_EQ(ExcelCellName(26, 32), "AA33");
    EXPECT_EQ(ExcelCellName(30, 0), "AE1");
    EXPECT_EQ(ExcelCellName(ExcelMaxColumns - 1, 0), "XFD1");
    EXPECT_EQ(test::XlsxRef(33, 35), "AH36");
}

}  // namespace
}  // namespace zarnik
