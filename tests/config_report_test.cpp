#include "report/config_report.h"

#include <gtest/gtest.h>

#include "support/tool_paths.h"
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/text_1251.h"
#include "support/offline_session.h"
#include "support/xlsx_reader.h"

namespace zarnik {
namespace {

namespace fs = std::filesystem;
using test::XlsxBook;
using test::XlsxSheet;

class TRecordingProgress : public TCountingProgress {
  public:
    void SetPosition(int v) override {
        TCountingProgress::SetPosition(v);
        Seen.push_back(v);
    }
    std::vector<int> Seen;
};

TReportTicks AllTicks() {
    TReportTicks ticks;
    ticks.fill(true);
    return ticks;
}

std::chrono::system_clock::time_point FixedNow() {
    using namespace std::chrono;
    return sys_days{year{2024} / 3 / 15} + hours{10} + minutes{30};
}

std::string LocalText(std::chrono::system_clock::time_point at, const char* format) {
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// Texts of columns `first`..`last` (1-based) of a row.
std::vector<std::string> RowTexts(const XlsxSheet& sheet, int row, int first, int last) {
    std::vector<std::string> texts;
    for (int c = first; c <= last; ++c) texts.push_back(sheet.Text(test::XlsxRef(c - 1, row - 1)));
    return texts;
}

// The outline of a frame: medium lines on the four outer corners' outer sides.
void ExpectFrame(const XlsxSheet& sheet, const std::string& topLeft,
                 const std::string& bottomRight) {
    const auto* tl = sheet.Find(topLeft);
    const auto* br = sheet.Find(bottomRight);
    ASSERT_NE(tl, nullptr) << topLeft;
    ASSERT_NE(br, nullptr) << bottomRight;
    EXPECT_EQ(tl->Top, "medium") << topLeft;
    EXPECT_EQ(tl->Left, "medium") << topLeft;
    EXPECT_EQ(br->Bottom, "medium") << bottomRight;
    EXPECT_EQ(br->Right, "medium") << bottomRight;
}

bool HasBorder(const XlsxSheet& sheet, const std::string& ref) {
    const auto* cell = sheet.Find(ref);
    return cell != nullptr && !(cell->Left + cell->Right + cell->Top + cell->Bottom).empty();
}

// A Cedar with a Kama and a Volga board: lines 201..209 odd, 211, 213, system phones 214, 216,
// 218; trunk lines 200..212 even. Every table carries something the report must show.
class ConfigReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        S.Session.Now = [] { return FixedNow(); };
        S.Session.Identity.SerialNumber = "4321";
        S.Session.Identity.RoutingTableCount = 8;
        S.Session.ConferenceParams = {2, 3, 1, 0, 0};
        Compose({"Kama", "Volga"});
        FillStore();
    }

    void Compose(const std::vector<std::string>& boards) {
        for (std::size_t i = 0; i < boards.size(); ++i)
            Store().Composition[i].BoardType = boards[i];
        Store().CompositionCount = static_cast<std::uint16_t>(boards.size());
        BuildPorts(Store());
    }

    TDataStream& Store() { return *S.Store; }
    static std::string Cp(const std::string& utf8) { return Utf8ToCp1251(utf8); }

    void FillStore() {
        FindPort(Store(), 201)->AlData->AL_PrgNum = "15";
        TAL& line = Store().Lines[1];  // port 201
        line.AL_Own.fill(true);
        line.AL_DTMF = true;                        // 2: own, on
        line.AL_Own[al_setting::Redirect] = false;  // 4: follows, off
        line.AL_Own[al_setting::NonWorry] = false;  // 5: follows, own value on
        line.AL_NonWorry = true;
        line.AL_RusSTA = true;        // 15
        line.AL_Df01 = true;          // 22
        line.AL_mBAdapter_ON = true;  // has no column
        line.ALSL_OFF[0] = line.ALSL_OFF[3] = true;
        line.ALPriority = 3;
        line.ALGGS = 2;
        line.ALDirectCall = "204";
        line.ALGroup = 2;
        Store().Names->SetPortName(1, Cp("Бухгалтерия"));

        TSL& sl = Store().TrunkLines[0];  // port 200
        sl.SL_OutgoingCall = sl.SL_Dir9 = true;
        sl.SL_DayNaveden = 3;
        sl.SL_Type = 2;
        sl.SL_MGDigit = 0;
        sl.SL_AutoDial = "8*0P";
        sl.SL_Block = 202;

        TGroup& group = Store().Groups[2];
        group.GR_DTMF = true;
        group.GR_AdditionalIntercept = {10, 12};
        group.GR_AdditionalInterceptCount = 2;
        group.GR_GroupCall = {201, 203};
        group.GR_GroupCallCount = 2;
        group.GR_DayNaveden = 3;
        group.GR_SLOFF[1] = group.GR_SLOFF[2] = true;

        Store().RoutingTables[0].Rows[0][0] = 201;
        Store().RoutingTables[0].Rows[1][2] = 203;
        Store().Names->SetNavedenName(0, Cp("Входящие днём"));

        Store().RedirectionCount = 20;
        Store().Redirections[1].Target = 201;  // its own port
        Store().Redirections[3].Target = 205;

        Store().GlobalExtNum->Count = 10;
        Store().GlobalExtNum->Entries[0] = "8495*1";
        Store().Names->SetGlobalExtNumName(0, Cp("Склад"));
        Store().Names->SetGlobalExtNumName(1, "12345");
        Store().GroupExtNums[1].Entries[0] = "777";

        Store().SystemSettings.SYS_ToneDial = true;
        Store().SystemSettings.SYS_DayTime = {0, 5, 0, 7};
        Store().DoorPhoneCount = 2;
        Store().DoorPhones[0].AllALOpening = true;
        Store().DoorPhones[0].LinkPort = "211";
        Store().DoorPhones[0].OpenCode = "105";
        Store().Names->SetDfName(0, Cp("Проходная"));
        Store().LoudspeakerCount = 1;
        Store().Loudspeakers[0] = {"213", true};
        Store().Conferences[0].MemberCount = 3;
        Store().Conferences[0].Members = {201, 0, 400};
        Store().TimeSettings.Values[0] = 2.25F;
        Store().BlackWhiteList.Entries[0] = "123";
        Store().BlackWhiteList.Entries[50] = "8800";
    }

    EReportResult Run(const TReportTicks& ticks, TReportRequest request = {}) {
        request.OpenInViewer = false;
        return MakeConfigurationReport(S.Session, Store(), ticks, request, Progress, S.Dialogs,
                                       &Written);
    }

    XlsxBook Report(const TReportTicks& ticks = AllTicks()) {
        EXPECT_EQ(Run(ticks), EReportResult::Written);
        EXPECT_EQ(Written, S.Dir.Path + "/dat/report.xlsx");
        return XlsxBook::Read(Written);
    }

    test::TOfflineSession S{"Cedar", "24,8"};
    TRecordingProgress Progress;
    std::string Written;
};

TEST_F(ConfigReportTest, UntickedBoxesLeaveFifteenNamedSheetsWithOnlyTheFirstTwoFilled) {
    const XlsxBook book = Report(TReportTicks{});
    const auto& names = ReportSheetNames();
    EXPECT_EQ(book.Names(), std::vector<std::string>(names.begin(), names.end()));
    ASSERT_EQ(book.Sheets.size(), 15u);

    const XlsxSheet& head = book.Sheets[0];
    EXPECT_EQ(head.Text("A1"),
              "  Программные установки АТС Cedar. Заводской номер АТС: 4321. "
              "Дата отчета: " +
                  LocalText(FixedNow(), "%d.%m.%Y") + "  " + LocalText(FixedNow(), "%H:%M"));
    EXPECT_EQ(head.Text("A4"), "СОСТАВ АТС");
    EXPECT_EQ(RowTexts(head, 6, 1, 4),
              (std::vector<std::string>{"Тип платы", "Зав. номер", "Версия ПО", "Дата прошивки"}));
    EXPECT_EQ(head.Find("A7"), nullptr);  // the heads stand alone
    EXPECT_EQ(head.ColumnWidthChars(4), 15);
    EXPECT_EQ(head.Find("A1")->NumFmtId, 49);

    EXPECT_EQ(book.Sheets[1].Text("A3"), "СПИСОК АЛ");
    EXPECT_EQ(book.Sheets[1].Text("A5"), "201");
    for (std::size_t i = 2; i < book.Sheets.size(); ++i)
        EXPECT_TRUE(book.Sheets[i].Cells.empty()) << book.Sheets[i].Name;

    // Fifteen steps of six, then back to the start.
    std::vector<int> expected{0};
    for (int step = 1; step <= 15; ++step) expected.push_back(6 * step);
    expected.push_back(0);
    EXPECT_EQ(Progress.Seen, expected);
}

TEST_F(ConfigReportTest, LineListAndLineSettingsShowOwnAndFollowedSettings) {
    const XlsxBook book = Report();
    const XlsxSheet& list = *book.Find("АЛ");
    EXPECT_EQ(RowTexts(list, 5, 1, 4),
              (std::vector<std::string>{"201", "15", "12", "Бухгалтерия"}));
    EXPECT_EQ(list.Text("A14"), "218");  // system phones are lines too
    EXPECT_EQ(list.Find("A15")->Text, "");
    EXPECT_EQ(list.RowHeights.at(4), 25);
    ExpectFrame(list, "A4", "D15");

    const XlsxSheet& sheet = *book.Find("Установки АЛ");
    EXPECT_EQ(sheet.Text("A3"), "1 - Запрет инициирования второго соединения");
    EXPECT_EQ(sheet.Text("A31"), "29 - Запрещенные СЛ");
    EXPECT_EQ(sheet.Text("AD33"), "29");
    EXPECT_EQ(sheet.Text("A34"), "201(15)");
    std::vector<std::string> settings(25);
    settings[1] = "X";    // 2 - DTMF
    settings[3] = "->";   // 4 - follows its group, own value off
    settings[4] = "->X";  // 5 - follows its group, own value on
    settings[14] = "X";   // 15 - Russian system phone
    settings[21] = "X";   // 22 - door phone 1
    EXPECT_EQ(RowTexts(sheet, 34, 2, 26), settings);
    EXPECT_EQ(RowTexts(sheet, 34, 27, 31),
              (std::vector<std::string>{"3", "2", "204", "200, 206", "Бухгалтерия"}));
    // A line with nothing of its own follows its group everywhere.
    EXPECT_EQ(sheet.Text("B35"), "->");
    EXPECT_EQ(sheet.Text("A35"), "203()");
    EXPECT_EQ(sheet.ColumnWidthChars(31), 35);
    EXPECT_EQ(sheet.ColumnWidthChars(2), 3);
    ExpectFrame(sheet, "A33", "AE44");
    EXPECT_FALSE(HasBorder(sheet, "A45"));
}

TEST_F(ConfigReportTest, TrunkAndGroupSheets) {
    const XlsxBook book = Report();
    const XlsxSheet& trunks = *book.Find("СЛ");
    EXPECT_EQ(trunks.Text("A30"), "200");
    EXPECT_EQ(trunks.Text("B30"), "X");
    EXPECT_EQ(trunks.Text("S30"), "X");
    EXPECT_EQ(trunks.Text("C30"), "");
    EXPECT_EQ(RowTexts(trunks, 30, 20, 25),
              (std::vector<std::string>{"3", "", "2", "0", "8*0P", "202"}));
    EXPECT_EQ(trunks.Text("A36"), "212");
    // The frame closes with the table's last column, Z.
    ExpectFrame(trunks, "A29", "Z37");
    EXPECT_FALSE(HasBorder(trunks, "AA30"));

    const XlsxSheet& groups = *book.Find("Группы");
    EXPECT_EQ(groups.Text("A34"), "32 - Запрещенные СЛ группы");
    EXPECT_EQ(groups.Text("AH36"), "33");
    EXPECT_EQ(groups.Text("A39"), "12");
    EXPECT_EQ(groups.Text("C39"), "X");
    EXPECT_EQ(RowTexts(groups, 39, 30, 33),
              (std::vector<std::string>{"10,12", "201,203", "x3, --", "202, 204"}));
    EXPECT_EQ(groups.Text("AF37"), "--, --");
    EXPECT_EQ(groups.Text("A56"), "29");
    ExpectFrame(groups, "A36", "AH57");
}

TEST_F(ConfigReportTest, RoutingTablesGoThreeBlocksToARow) {
    const XlsxBook book = Report();
    const XlsxSheet& sheet = *book.Find("Наведение");
    const std::vector<std::string> corners{"A3", "G3", "M3", "A9", "G9", "M9", "A15", "G15"};
    for (std::size_t t = 0; t < corners.size(); ++t) {
        const std::string prefix = "Таблица " + std::to_string(t + 1) + " : ";
        EXPECT_EQ(sheet.Text(corners[t]).substr(0, prefix.size()), prefix) << corners[t];
    }
    EXPECT_EQ(sheet.Text("A3"), "Таблица 1 : Входящие днём");
    EXPECT_EQ(sheet.Find("M15"), nullptr);
    EXPECT_EQ(sheet.Text("A4"), "201(15)");
    EXPECT_EQ(sheet.Text("C5"), "203()");
    EXPECT_EQ(sheet.Text("B4"), "");
    ExpectFrame(sheet, "G10", "K13");
    EXPECT_EQ(sheet.ColumnWidthChars(17), 8);
}

TEST_F(ConfigReportTest, RedirectionsShowTheTargetOnlyWhenThereIsOne) {
    const XlsxBook book = Report();
    const XlsxSheet& sheet = *book.Find("Переадресация");
    EXPECT_EQ(sheet.Text("A3"), "200->");  // not redirected
    EXPECT_EQ(sheet.Text("B3"), "201->");  // redirected to itself
    EXPECT_EQ(sheet.Text("D3"), "203->205");
    EXPECT_EQ(sheet.Text("J3"), "209->");
    EXPECT_EQ(sheet.Text("A4"), "210->");  // ten to a row
    ExpectFrame(sheet, "A3", "J5");
}

TEST_F(ConfigReportTest, RedirectionsOfTheEightPortFamilyGoEightToARow) {
    S.SetModel("Alder", "24,8");
    Store().Composition = {};
    Compose({"Oka", "Svir"});
    Store().RedirectionCount = 16;
    const XlsxBook book = Report();
    const XlsxSheet& sheet = *book.Find("Переадресация");
    EXPECT_EQ(sheet.Text("H3"), "207->");
    EXPECT_EQ(sheet.Text("A4"), "210->");
    EXPECT_EQ(sheet.Find("I3"), nullptr);
    ExpectFrame(sheet, "A3", "H5");
}

TEST_F(ConfigReportTest, PhoneBooks) {
    const XlsxBook book = Report();
    const XlsxSheet& common = *book.Find("Общая_зап._книжка");
    EXPECT_EQ(RowTexts(common, 4, 1, 3), (std::vector<std::string>{"070", "8495*1", "Склад"}));
    EXPECT_EQ(common.Number("C5"), 12345);  // names go in as typed values
    EXPECT_EQ(common.Text("A13"), "079");
    EXPECT_EQ(common.Find("A14"), nullptr);
    ExpectFrame(common, "A3", "C13");

    const XlsxSheet& groups = *book.Find("Гр._зап._книжки");
    EXPECT_EQ(groups.Text("E3"), "ГРУППА 11");
    EXPECT_EQ(RowTexts(groups, 5, 5, 6), (std::vector<std::string>{"070", "777"}));
    EXPECT_EQ(groups.Text("E24"), "089");
    EXPECT_EQ(groups.Text("BY3"), "ГРУППА 29");
    EXPECT_EQ(groups.ColumnWidthChars(6), 18);
    EXPECT_EQ(groups.ColumnWidthChars(7), 30);
    ExpectFrame(groups, "E4", "G25");
    EXPECT_FALSE(HasBorder(groups, "H10"));
}

TEST_F(ConfigReportTest, SettingsDoorPhonesChannelsConferencesTimersAndLists) {
    const XlsxBook book = Report();
    const XlsxSheet& system = *book.Find("Общесистемные");
    EXPECT_EQ(system.Text("B5"), "X");
    EXPECT_EQ(system.Text("B3"), "");
    EXPECT_EQ(system.Text("B10"), "07:00:05");
    EXPECT_EQ(system.Text("B11"), "00:00:00");
    ExpectFrame(system, "A3", "B11");

    const XlsxSheet& doors = *book.Find("Домофоны");
    EXPECT_EQ(doors.Text("A3"), "Домофон 1 : Проходная");
    EXPECT_EQ(doors.Text("B4"), "X");
    EXPECT_EQ(RowTexts(doors, 7, 1, 2),
              (std::vector<std::string>{"Порт приписки домофона", "211"}));
    EXPECT_EQ(doors.Text("B8"), "105");
    ExpectFrame(doors, "A4", "B10");
    EXPECT_EQ(doors.Text("A12"), "Домофон 2 : ");

    const XlsxSheet& ggs = *book.Find("ГГС");
    EXPECT_EQ(ggs.Text("B4"), "X");
    EXPECT_EQ(ggs.Text("B5"), "213");
    ExpectFrame(ggs, "A4", "B5");

    const XlsxSheet& conf = *book.Find("Конференции");
    EXPECT_EQ(conf.Text("A3"), "Конференция 0");
    EXPECT_EQ(conf.Text("C3"), "Конференция 1");
    EXPECT_EQ(conf.Text("A4"), "201(15)");
    EXPECT_EQ(conf.Text("A6"), "");  // 400 is no line
    ExpectFrame(conf, "A4", "A6");

    const XlsxSheet& timers = *book.Find("Временные_установки");
    EXPECT_EQ(timers.Text("B3"), "2.25");
    EXPECT_EQ(timers.Text("A28"), "Длительность пассивной паузы в СЛ");
    ExpectFrame(timers, "A3", "B28");

    const XlsxSheet& lists = *book.Find("Черно-белые_списки");
    EXPECT_EQ(lists.Text("P3"), "Черный список");
    EXPECT_EQ(lists.Text("A4"), "123");
    EXPECT_EQ(lists.Text("P4"), "8800");
    EXPECT_NE(lists.Find("P13"), nullptr);  // written even when empty
    ExpectFrame(lists, "P4", "P14");
}

TEST_F(ConfigReportTest, NamesFromWindows1251FilesArriveAsUtf8) {
    // Group names as an older installation left them: CP1251 bytes, CR LF.
    {
        std::ofstream out(S.Dir.Path + "/dat/group.nms", std::ios::binary | std::ios::trunc);
        out << "\xA8\xEB\xEA\xE0\r\n\r\n\xCE\xF2\xE4\xE5\xEB \xEF\xF0\xEE\xE4\xE0\xE6\r\n";
    }
    Store().Names = std::make_shared<TNamesList>(S.Dir.Path);
    const XlsxBook book = Report();
    const XlsxSheet& groups = *book.Find("Группы");
    EXPECT_EQ(groups.Text("AH37"), "Ёлка");
    EXPECT_EQ(groups.Text("AH39"), "Отдел продаж");
}

TEST_F(ConfigReportTest, ReportNamesThatAreNoPlainFileNameAreRefused) {
    S.Dialogs.ExpectMessage("Не указано имя отчета");
    TReportRequest request;
    request.Name = "";
    EXPECT_EQ(Run(AllTicks(), request), EReportResult::Refused);
    ASSERT_EQ(S.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(S.Dialogs.Seen[0].Caption, "Ошибка");

    for (const char* bad : {"../report", "a/b", "..", "x\\y", "bad:name", "tab\tname"}) {
        S.Dialogs.ExpectMessage();
        request.Name = bad;
        EXPECT_EQ(Run(AllTicks(), request), EReportResult::Refused) << bad;
        EXPECT_FALSE(ReportNameProblem(bad).empty());
    }
    EXPECT_TRUE(S.Dialogs.AllSeen());
    EXPECT_FALSE(ReportNameProblem(std::string(300, 'a')).empty());
    // Nothing was written anywhere, inside "dat" or beside it.
    for (const auto& e : fs::recursive_directory_iterator(S.Dir.Path))
        EXPECT_NE(e.path().extension(), ".xlsx") << e.path();
}

TEST_F(ConfigReportTest, FileGoesToDatOrExactlyWhereTheUserChose) {
    fs::rename(S.Dir.Path + "/dat", S.Dir.Path + "/DAT");
    TReportRequest request;
    request.Name = "Отчёт 1.xlsx";  // the extension is not doubled
    EXPECT_EQ(Run(AllTicks(), request), EReportResult::Written);
    EXPECT_EQ(Written, S.Dir.Path + "/DAT/Отчёт 1.xlsx");
    EXPECT_EQ(XlsxBook::Read(Written).Sheets.size(), 15u);

    request.ChosenPath = S.Dir.Path + "/chosen.xlsx";
    EXPECT_EQ(Run(TReportTicks{}, request), EReportResult::Written);
    EXPECT_EQ(Written, request.ChosenPath);
    EXPECT_TRUE(fs::exists(request.ChosenPath));
}

TEST_F(ConfigReportTest, AFileThatCannotBeWrittenIsReportedAndTheBarReturnsToZero) {
    S.Dialogs.ExpectMessage();
    TReportRequest request;
    request.ChosenPath = S.Dir.Path + "/no such folder/report.xlsx";
    EXPECT_EQ(Run(AllTicks(), request), EReportResult::Failed);
    ASSERT_EQ(S.Dialogs.Seen.size(), 1u);
    EXPECT_EQ(S.Dialogs.Seen[0].Text, "Не могу записать отчет в файл " + request.ChosenPath);
    EXPECT_EQ(Progress.Position(), 0);
    EXPECT_FALSE(fs::exists(request.ChosenPath));
}

// zarnik-cli as a user runs it; the exit status.
int RunCli(const std::string& dir, const std::string& args) {
    const std::string command =
        std::string(ZARNIK_CLI_PATH) + " --dir '" + dir + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ConfigReportCli, ReportOfAConfigurationFile) {
    if (!fs::exists(ZARNIK_CLI_PATH)) GTEST_SKIP() << "zarnik-cli not built";
    test::TTempDir dir;
    const std::string ats = dir.Path + "/blank.ats";
    ASSERT_EQ(RunCli(dir.Path, "new --model Cedar --version 24.7 --boards Kama,Volga -o " + ats),
              0);

    const std::string chosen = dir.Path + "/out.xlsx";
    EXPECT_EQ(RunCli(dir.Path, "report " + ats + " -o " + chosen + " --tables lines,routing"), 0);
    const XlsxBook book = XlsxBook::Read(chosen);
    ASSERT_EQ(book.Sheets.size(), 15u);
    EXPECT_EQ(book.Sheets[1].Text("A5"), "201");
    EXPECT_EQ(book.Sheets[2].Text("A34"), "201()");
    EXPECT_TRUE(book.Sheets[3].Cells.empty());
    EXPECT_EQ(book.Sheets[5].Text("A1"), "  ТАБЛИЦЫ НАВЕДЕНИЯ");

    EXPECT_EQ(RunCli(dir.Path, "report " + ats), 0);
    EXPECT_TRUE(fs::exists(dir.Path + "/dat/report.xlsx"));
    EXPECT_EQ(RunCli(dir.Path, "report " + ats + " --tables nosuch"), 2);
    EXPECT_EQ(RunCli(dir.Path, "report " + dir.Path + "/missing.ats"), 1);
}

}  // namespace
}  // namespace zarnik
