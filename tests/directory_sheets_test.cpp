// The office directory through spreadsheet sheets: what leaves as CSV comes back unchanged, a
// sheet edited as a spreadsheet program edits it changes exactly what was edited, and a file
// that is bad in any way is refused whole, quickly, with its line and reason.

#include "flows/directory_sheets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>

#include "editors/program_number_editor.h"
#include "flows/config_snapshot.h"
#include "flows/offline_constructor.h"
#include "model/broadcaster.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"
#include "support/loaded_station.h"

namespace zarnik {
namespace {

using test::TLoadedStation;

constexpr std::array<const char*, 4> kModels{"Alder", "Birch", "Cedar", "Dogwood"};
constexpr std::array<ESheet, 4> kAllSheets{ESheet::Lines, ESheet::Book, ESheet::GroupBooks,
                                           ESheet::BwList};

// Names as people write them, with everything a CSV field must quote.
void GiveNames(TDataStream& store) {
    TNamesList& names = *store.Names;
    names.SetPortName(0, Utf8ToCp1251("Иванов; \"Главный\""));
    names.SetPortName(1, Utf8ToCp1251(" Бухгалтерия, 2 этаж "));
    names.SetPortName(2, Utf8ToCp1251("Склад"));
    names.SetGlobalExtNumName(0, Utf8ToCp1251("Такси \"Шашечки\""));
    names.SetGlobalExtNumName(29, Utf8ToCp1251("Последняя"));
    names.SetGroupExtNumName(3, 7, Utf8ToCp1251("Поставщик; опт"));
}

std::string NamesFiles(const std::string& dir) {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/dat"))
        if (entry.path().extension() == ".nms")
            all += entry.path().filename().string() + ":" + test::ReadBytes(entry.path().string());
    return all;
}

// The configuration and the names files as one text: equal texts, nothing changed.
std::string Everything(const test::TOfflineSession& s) {
    return test::SessionPrint(s.Session) + test::QuickStorePrint(*s.Store) + NamesFiles(s.Dir.Path);
}

std::string Notes(const std::vector<TImportNote>& notes) {
    std::string text;
    for (const TImportNote& n : notes) text += n.Shown() + "\n";
    return text;
}

// Rows of an exported sheet, to edit as a spreadsheet program would.
std::vector<std::vector<std::string>> Rows(const test::TOfflineSession& s, ESheet sheet) {
    return SheetRows(*s.Store, sheet);
}

void ExpectRoundTrip(test::TOfflineSession& s, const std::string& what) {
    for (ESheet sheet : kAllSheets) {
        if (!SheetUnavailable(s.Session, sheet).empty()) continue;
        for (const TCsvFormat format : {TCsvFormat{}, TCsvFormat{ECsvEncoding::Cp1251, ','},
                                        TCsvFormat{ECsvEncoding::Utf8Bom, '\t'}}) {
            SCOPED_TRACE(what + " " + SheetInfo(sheet).Key + " sep " + format.Separator);
            const std::string before = Everything(s);
            const std::string csv = ExportSheet(*s.Store, sheet, format);
            const TDirectoryImport plan = PlanImport(s.Session, *s.Store, sheet, csv);
            ASSERT_TRUE(plan.Ok()) << Notes(plan.Errors);
            EXPECT_TRUE(plan.Warnings.empty()) << Notes(plan.Warnings);
            EXPECT_TRUE(plan.Changes.empty()) << ImportText(plan);
            EXPECT_TRUE(plan.Lines.empty() && plan.Books.empty() && !plan.BwCells);
            // The sheet names itself.
            EXPECT_EQ(PlanImport(s.Session, *s.Store, std::nullopt, csv).Sheet, sheet);
            ASSERT_TRUE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
            EXPECT_EQ(Everything(s), before);
        }
    }
}

TEST(DirectorySheets, ExportThenImportChangesNothingOnEveryModelFullOrBlank) {
    for (const char* model : kModels) {
        TLoadedStation full(model);
        GiveNames(*full.Store);
        ExpectRoundTrip(full, std::string("full ") + model);
        for (const char* version : {"22.9", "24.7", "30.8"}) {
            test::TOfflineSession blank(model);
            TConstructorDraft draft;
            draft.SetModel(model);
            draft.SetVersion(version);
            ASSERT_TRUE(draft.SetBoard(
                0,
                std::string(model) == "Cedar" || std::string(model) == "Dogwood" ? "Kama" : "Oka"));
            ASSERT_EQ(BuildOfflineStation(blank.Session, *blank.Store, draft),
                      EConstructResult::Built);
            blank.Session.ChangeFlags.fill(false);
            ExpectRoundTrip(blank, std::string("blank ") + model + " " + version);
        }
    }
}

// A station with a few numbers and names, to edit.
struct TEdited : TLoadedStation {
    TEdited() : TLoadedStation("Dogwood") {
        GiveNames(*Store);
        Session.ChangeFlags.fill(false);
    }
    TPrgNumRow Row(std::size_t i) const { return TProgramNumberEditor(*Store).Rows().at(i); }
    int LineIndex(int port) const {
        return TBroadcaster::GetLineNumFromPortNum("Dogwood", std::to_string(port)) - 1;
    }
    std::string Kind(int port) const {
        return FindPort(*Store, port)->Type == kPortTypeSta ? "СТА" : "АЛ";
    }
};

TEST(DirectorySheets, ASheetEditedInASpreadsheetChangesExactlyWhatWasEdited) {
    TEdited s;
    const TPrgNumRow first = s.Row(0);
    const TPrgNumRow second = s.Row(1);
    const TPrgNumRow third = s.Row(2);
    auto rows = Rows(s, ESheet::Lines);
    // The spreadsheet program: a note column, rows sorted backwards, a blank row, the first
    // line's number and name changed, the second line's number taken by the third, and the
    // third given the second's: an exchange, which no duplicate check may refuse.
    rows[0].push_back("Примечание");
    rows[1][2] = "1999";
    rows[1][3] = "Петров; \"Старший\"";
    rows[1].push_back("новый");
    rows[2][2] = third.Number;
    rows[3][2] = second.Number;
    ASSERT_NE(second.Number, third.Number);
    std::reverse(rows.begin() + 1, rows.end());
    rows.insert(rows.begin() + 5, std::vector<std::string>(6));
    const std::string csv = WriteCsv(rows, {ECsvEncoding::Cp1251, ';'});
    ASSERT_NE(csv.find("\r\n"), std::string::npos);
    ASSERT_NE(csv.find(Utf8ToCp1251("\"Петров; \"\"Старший\"\"\"")), std::string::npos);

    const TDirectoryImport plan = PlanImport(s.Session, *s.Store, ESheet::Lines, csv);
    ASSERT_TRUE(plan.Ok()) << Notes(plan.Errors);
    EXPECT_TRUE(plan.Cp1251);
    EXPECT_EQ(Notes(plan.Warnings), "Строка 1: столбец «Примечание» не используется\n");
    const auto record = [](const TPrgNumRow& row) {
        return std::to_string(row.Port) + (row.Name.empty() ? "" : " " + row.Name);
    };
    const std::string r1 = record(first);
    const std::string r2 = record(second);
    const std::string r3 = record(third);
    const std::vector<TDiffItem> expected{
        {EDiffPart::Table, ETable::ProgramNumbers, "Программные номера", r1, "Программный номер",
         first.Number, "1999", 0},
        {EDiffPart::Table, ETable::ProgramNumbers, "Программные номера", r2, "Программный номер",
         second.Number, third.Number, 0},
        {EDiffPart::Table, ETable::ProgramNumbers, "Программные номера", r3, "Программный номер",
         third.Number, second.Number, 0},
        {EDiffPart::Table, ETable::ProgramNumbers, "Имена линий", r1, "Имя", first.Name,
         "Петров; \"Старший\"", 0},
    };
    EXPECT_EQ(plan.Changes, expected) << ImportText(plan);

    // Applied, the comparison with the station as it was finds the same numbers.
    ASSERT_TRUE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    const test::TLoadedStation& was = test::BuiltinStation("Dogwood");
    TDiffTables all{};
    all.fill(true);
    const TConfigDiff diff =
        CompareConfigurations({was.Session, *was.Store, TablesInHand(was.Session)},
                              {s.Session, *s.Store, TablesInHand(s.Session)}, all);
    ASSERT_EQ(diff.Items.size(), 3u) << DiffText(diff, "was", "now");
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(diff.Items[i].Field, expected[i].Field);
        EXPECT_EQ(diff.Items[i].Left, expected[i].Left);
        EXPECT_EQ(diff.Items[i].Right, expected[i].Right);
    }
    const int line = s.LineIndex(first.Port);
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetPortName(line)), "Петров; \"Старший\"");
    for (ETable t : kAllTables) EXPECT_EQ(s.Session.Changed(t), t == ETable::ProgramNumbers);
    // The names file holds the name as the program number window saves it.
    std::string file = test::ReadBytes(s.Dir.Path + "/dat/port.nms");
    for (int i = 0; i < line; ++i) file.erase(0, file.find("\r\n") + 2);
    EXPECT_EQ(file.substr(0, file.find("\r\n")), Utf8ToCp1251("Петров; \"Старший\""));
}

TEST(DirectorySheets, BooksAndListsTakeWhatTheWindowsTakeAndMarkOnlyTheirTable) {
    TEdited s;
    // The common book: UTF-8 without a byte-order mark, commas, a lower-case pause.
    std::string book = "Запись,Номер,Имя\n30,8p12#,\"Склад, 2\"\n1,,\n";
    TDirectoryImport plan = PlanImport(s.Session, *s.Store, std::nullopt, book);
    ASSERT_TRUE(plan.Ok()) << Notes(plan.Errors);
    EXPECT_EQ(plan.Sheet, ESheet::Book);
    ASSERT_TRUE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    EXPECT_EQ(s.Store->GlobalExtNum->Entries[29], "8P12#");
    EXPECT_EQ(s.Store->GlobalExtNum->Entries[0], "");
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetGlobalExtNumName(29)), "Склад, 2");
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetGlobalExtNumName(0)), "");
    for (ETable t : kAllTables) EXPECT_EQ(s.Session.Changed(t), t == ETable::GlobalPhoneBook);

    // A name alone changes the names file, not the table.
    s.Session.ChangeFlags.fill(false);
    plan = PlanImport(s.Session, *s.Store, ESheet::GroupBooks, "Группа\tЗапись\tИмя\n13\t8\tОпт\n");
    ASSERT_TRUE(plan.Ok()) << Notes(plan.Errors);
    ASSERT_EQ(plan.Changes.size(), 1u) << ImportText(plan);
    EXPECT_EQ(plan.Changes[0].Section, "Имена записей групповых записных книжек");
    EXPECT_EQ(plan.Changes[0].Record, "Группа 13, ячейка 077 Поставщик; опт");
    ASSERT_TRUE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    EXPECT_EQ(Cp1251ToUtf8(s.Store->Names->GetGroupExtNumName(3, 7)), "Опт");
    for (ETable t : kAllTables) EXPECT_FALSE(s.Session.Changed(t)) << SelectionIndex(t);

    plan = PlanImport(s.Session, *s.Store, ESheet::BwList,
                      "Список;Запись;Номер\nЧёрная;10;*1t\nбелая 2;1;810\n");
    ASSERT_TRUE(plan.Ok()) << Notes(plan.Errors);
    ASSERT_TRUE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    EXPECT_EQ(s.Store->BlackWhiteList.Entries[59], "*1T");
    EXPECT_EQ(s.Store->BlackWhiteList.Entries[10], "810");
    for (ETable t : kAllTables) EXPECT_EQ(s.Session.Changed(t), t == ETable::BlackWhiteLists);
}

struct TBadCase {
    std::string Csv;
    std::string Error;  // as shown
};

TEST(DirectorySheets, EveryBadValueIsNamedByItsLineAndNothingIsApplied) {
    TEdited s;
    const TPrgNumRow a = s.Row(0);
    const TPrgNumRow b = s.Row(1);
    const std::string p = std::to_string(a.Port);
    const std::string q = std::to_string(b.Port);
    ASSERT_FALSE(b.Number.empty());
    const std::vector<TBadCase> cases{
        {"Порт;Программный номер\n" + p + ";205\n",
         "Строка 2: программный номер «205»: программный номер начинается с цифры 1"},
        {"Порт;Программный номер\n" + p + ";12345\n",
         "Строка 2: программный номер «12345»: в программном номере не больше 4 цифр"},
        {"Порт;Программный номер\n" + p + ";1\n",
         "Строка 2: программный номер «1»: в программном номере должно быть не менее 2-х цифр"},
        {"Порт;Программный номер\n" + p + ";1a\n",
         "Строка 2: программный номер «1a»: в программном номере могут быть только цифры"},
        // A number another line holds, that line not being in the file.
        {"Порт;Программный номер\n" + p + ";" + b.Number + "\n",
         "Строка 2: программный номер " + b.Number + " уже есть у другой линии"},
        {"Порт;Программный номер\n" + p + ";1777\n\n" + q + ";1777\n",
         "Строка 2: программный номер 1777 уже есть у другой линии (строка 4)\n"
         "Строка 4: программный номер 1777 уже есть у другой линии (строка 2)"},
        {"Порт;Имя\n" + p + ";x\n" + p + ";y\n", "Строка 3: порт " + p + " уже есть в строке 2"},
        {"Порт;Имя\n199;x\n", "Строка 2: порта «199» нет среди АЛ и СТА этой АТС"},
        {"Порт;Тип;Имя\n" + p + ";СЛ;x\n",
         "Строка 2: порт " + p + " в этой АТС " + s.Kind(a.Port) + ", а в файле «СЛ»"},
        {"Порт;Имя\n" + p + ";" + std::string(65, 'x') + "\n",
         "Строка 2: Имя длиннее 64 знаков. Сократите его: длинное имя не будет обрезано."},
        {"Порт;Имя\n" + p + "\n", "Строка 2: нет значения в столбце «Имя»"},
        {"Порт;Группа\n" + p + ";10\n",
         "Строка 1: в заголовке нет ни одного столбца, который импорт меняет (Программный номер, "
         "Имя)"},
        {"Запись;Номер\n31;1\n", "Строка 2: номер записи «31» не от 1 до 30"},
        {"Запись;Номер\n3;12-34\n",
         "Строка 2: номер «12-34»: допустимы цифры и знаки * # P A T, не больше 16 знаков"},
        {"Запись;Номер\n3;12345678901234567\n",
         "Строка 2: номер «12345678901234567»: допустимы цифры и знаки * # P A T, не больше 16 "
         "знаков"},
        {"Группа;Запись;Номер\n30;1;1\n", "Строка 2: номер группы «30» не от 10 до 29"},
        {"Список;Запись;Номер\nсерая;1;1\n",
         "Строка 2: список «серая»: бывают «белая 1» … «белая 5» и «черная»"},
        {"Список;Запись;Номер\nбелая 5;1;123456789\n",
         "Строка 2: номер «123456789»: допустимы цифры и знаки * # P A T, не больше 8 знаков"},
        {"Номер;Имя\n1;2\n",
         "Строка 1: заголовок не похож ни на один лист справочника: первая строка должна называть "
         "столбцы (Порт; Тип; Программный номер; Имя; Группа и другие)"},
        {"", "в файле нет ни одной строки"},
    };
    const std::string before = Everything(s);
    for (const TBadCase& c : cases) {
        SCOPED_TRACE(c.Csv);
        const TDirectoryImport plan = PlanImport(s.Session, *s.Store, std::nullopt, c.Csv);
        EXPECT_FALSE(plan.Ok());
        EXPECT_EQ(Notes(plan.Errors), c.Error + "\n");
        EXPECT_TRUE(plan.Changes.empty());
        EXPECT_FALSE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    }
    // One bad row among good ones: the good ones are not applied either.
    const TDirectoryImport mixed =
        PlanImport(s.Session, *s.Store, ESheet::Lines,
                   "Порт;Имя\n" + p + ";Новый\n" + q + ";" + "\xF0\x9F\x98\x80" + "\n");
    EXPECT_EQ(
        Notes(mixed.Errors),
        "Строка 3: В имени есть знаки, которых нет в кодировке Windows-1251. Исправьте имя.\n");
    EXPECT_TRUE(mixed.Lines.empty());
    EXPECT_EQ(Everything(s), before);
    // The sheet asked for is not the one the file holds: say which it is.
    const TDirectoryImport other =
        PlanImport(s.Session, *s.Store, ESheet::Book, "Порт;Имя\n" + p + ";x\n");
    EXPECT_EQ(Notes(other.Errors),
              "Строка 1: нет столбца «Запись»: это не лист «Общая записная книжка», а лист «АЛ и "
              "СТА: программные номера и имена» (lines)\n");
}

TEST(DirectorySheets, HostileFilesAreRefusedWithinASecond) {
    TEdited s;
    test::TTempDir dir;
    const std::string p = std::to_string(s.Row(0).Port);
    std::mt19937 random(25);
    std::string binary(4096, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    std::string manyRows = "Порт;Имя\n";
    for (int i = 0; i < 10000; ++i) manyRows += p + ";x\n";
    std::string wide = "Порт;Имя\n" + p;
    for (int i = 0; i < 1000; ++i) wide += ";x";
    const std::string huge = dir.Path + "/huge.csv";
    {
        std::ofstream out(huge, std::ios::binary);
        const std::string line = "Порт;Имя\n" + p + ";" + std::string(100, 'x') + "\n";
        for (std::size_t written = 0; written < 50u << 20; written += line.size()) out << line;
    }
    const std::vector<std::pair<std::string, std::string>> cases{
        {binary, "в файле есть двоичные данные: это не текстовая таблица CSV"},
        {manyRows, "в файле больше 2000 строк"},
        {wide, "в строке больше 64 столбцов"},
        {"Порт;Имя\n" + p + ";\"Иванов\n", "кавычка, открытая в строке 2, не закрыта"},
        {std::string("\xFF\xFE\x1F\x04", 4), "файл записан в кодировке UTF-16"},
        {"\xEF\xBB\xBFПорт;Имя\n" + p + ";\xC0\xC1\n", "Строка 2: файл помечен как UTF-8"},
        {"Порт;Имя\n" + p + ";" + std::string(2000, 'x') + "\n", "значение длиннее 1000 байт"},
    };
    const std::string before = Everything(s);
    const auto check = [&](const TDirectoryImport& plan, const std::string& error,
                           std::chrono::steady_clock::time_point start) {
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(1));
        ASSERT_EQ(plan.Errors.size(), 1u);
        EXPECT_NE(plan.Errors[0].Shown().find(error), std::string::npos) << plan.Errors[0].Shown();
        EXPECT_FALSE(ApplyImport(s.Session, *s.Store, plan, s.Dialogs));
    };
    for (const auto& [csv, error] : cases) {
        SCOPED_TRACE(error);
        const auto start = std::chrono::steady_clock::now();
        check(PlanImport(s.Session, *s.Store, ESheet::Lines, csv), error, start);
    }
    const auto start = std::chrono::steady_clock::now();
    check(PlanImportFile(s.Session, *s.Store, ESheet::Lines, huge), "файл больше 1024 КБ", start);
    check(PlanImportFile(s.Session, *s.Store, ESheet::Lines, dir.Path + "/none.csv"),
          "не удается открыть файл", start);
    EXPECT_EQ(Everything(s), before);
}

TEST(DirectoryCsv, ReadsWhatSpreadsheetProgramsWrite) {
    // Quoted separators, doubled quotes, a line end inside quotes, CR LF, a lone CR, blank rows
    // of separators only.
    const TCsvTable t = ReadCsv("a;b;c\r\n\"x;y\";\"say \"\"hi\"\"\";\"two\nlines\"\r;;\r\n\nz\n");
    ASSERT_TRUE(t.Ok()) << t.Error;
    ASSERT_EQ(t.Rows.size(), 3u);
    EXPECT_EQ(t.Rows[1].Fields, (std::vector<std::string>{"x;y", "say \"hi\"", "two\nlines"}));
    EXPECT_EQ(t.Rows[1].Line, 2);
    EXPECT_EQ(t.Rows[2].Fields, std::vector<std::string>{"z"});
    EXPECT_EQ(t.Rows[2].Line, 6);
    EXPECT_FALSE(t.Cp1251);

    EXPECT_EQ(ReadCsv("a,b;c,d\n1,2\n").Separator, ',');
    EXPECT_EQ(ReadCsv("a\tb\n").Separator, '\t');
    EXPECT_EQ(ReadCsv("\"a;b\",c\n").Separator, ',');
    const TCsvTable cp = ReadCsv(Utf8ToCp1251("Имя;Порт\nЁж;1\n"));
    ASSERT_TRUE(cp.Ok());
    EXPECT_TRUE(cp.Cp1251);
    EXPECT_EQ(cp.Rows[1].Fields[0], "Ёж");

    // What is written reads back field for field, whatever the separator and code page.
    const std::vector<std::vector<std::string>> rows{
        {"Имя", "Номер"}, {" с пробелом ", "1;2"}, {"кавычка \" и, запятая", ""}, {"", "a\tb"}};
    for (const TCsvFormat f : {TCsvFormat{}, TCsvFormat{ECsvEncoding::Cp1251, ','},
                               TCsvFormat{ECsvEncoding::Utf8Bom, '\t'}}) {
        const std::string bytes = WriteCsv(rows, f);
        EXPECT_EQ(bytes.starts_with("\xEF\xBB\xBF"), f.Encoding == ECsvEncoding::Utf8Bom);
        const TCsvTable back = ReadCsv(bytes);
        ASSERT_TRUE(back.Ok());
        ASSERT_EQ(back.Rows.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(back.Rows[i].Fields, rows[i]);
    }
}

}  // namespace
}  // namespace zarnik
