// The cross-connection window: choosing two ports, the plan, the confirmation, the exchange
// that reaches a saved file, and the refusals.
#include "app/cross_connect_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/window_table.h"
#include "gui/file_round_trip.h"
#include "gui/window_test_support.h"
#include "platform/text_1251.h"

namespace zarnik {
namespace {

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

struct TCrossWindow {
    TCrossWindow() : W("Dogwood") {
        for (const TPortPtr& p : Store().Ports)
            if (p->Type == kPortTypeSubscriber) Lines.push_back(p->Number);
        A = Lines[0];
        B = Lines[1];
        Store().Names->SetPortName(Index(A), Utf8ToCp1251("Бухгалтер"));
        Store().Names->SetPortName(Index(B), "");
        Store().Lines[Index(A)].ALPriority = 3;
        Store().Lines[Index(B)].ALPriority = 1;
        FindPort(Store(), A)->AlData->AL_PrgNum = "142";
        FindPort(Store(), B)->AlData->AL_PrgNum = "";
        Store().RoutingTables[0].Clear();
        Store().RoutingTables[0].Rows[0] = {A, Lines[2], 0, 0, 0};
        for (ETable t : {ETable::SubscriberLines, ETable::ProgramNumbers, ETable::RoutingTables})
            EXPECT_GE(FindCodec(t)->Encode(Session(), Store()), 0);
        Session().ChangeFlags.fill(false);
    }
    std::size_t Index(int port) {
        return static_cast<std::size_t>(FindPort(Store(), port)->Line - 1);
    }
    TDataStream& Store() { return *W.Station.Store; }
    TMainClass& Session() { return W.Station.Session; }
    test::TLoadedWindowStation W;
    std::vector<int> Lines;
    int A = 0, B = 0;
};

TEST(CrossConnectForm, ChooseViewExchangeAndFindItInTheSavedFile) {
    TCrossWindow t;
    app::TCrossConnectForm form(t.W.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программная перекроссировка АЛ и СЛ");
    ASSERT_EQ(form.KindList()->currentIndex(), 0);
    ASSERT_TRUE(form.ChoosePort(form.FirstList(), t.A));
    ASSERT_TRUE(form.ChoosePort(form.SecondList(), t.B));
    EXPECT_EQ(form.FirstList()->currentText(), QString::number(t.A) + " (142) Бухгалтер");
    EXPECT_EQ(form.SecondList()->currentText(), QString::number(t.B));

    Click(form.ShowButton());
    const QStringList plan = Items(form.PlanList());
    const QString a = QString::number(t.A), b = QString::number(t.B),
                  c = QString::number(t.Lines[2]);
    EXPECT_TRUE(plan.contains("Установки АЛ; порт " + a + "; Приоритет: 3 → 1"))
        << plan.join("\n").toStdString();
    EXPECT_TRUE(plan.contains("Таблицы наведения; таблица наведения 1; строка 1: " + a + ", " + c +
                              " → " + b + ", " + c));
    EXPECT_TRUE(plan.contains("Имена линий; порт " + a + "; Имя: Бухгалтер → нет"));
    EXPECT_FALSE(t.Session().Changed(ETable::RoutingTables));

    const std::string before = t.W.Station.Dir.Path + "/before.ats";
    const auto beforeBytes = test::SaveEveryTable(t.Session(), t.Store(), before);
    t.W.Dialogs.ExpectQuestion("", TAnswer::Ok);
    Click(form.ExecuteButton());
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(form.StatusLabel()->text(), "Порты " + a + " и " + b + " обменены.");
    // The lists show the ports as they are now: the name and the number went to the second.
    EXPECT_EQ(form.FirstList()->currentText(), a);
    EXPECT_EQ(form.SecondList()->currentText(), b + " (142) Бухгалтер");
    EXPECT_TRUE(t.Session().Changed(ETable::RoutingTables));
    EXPECT_TRUE(t.Session().Changed(ETable::SubscriberLines));
    EXPECT_TRUE(t.Session().Changed(ETable::ProgramNumbers));

    const std::string after = t.W.Station.Dir.Path + "/after.ats";
    EXPECT_NE(test::SaveEveryTable(t.Session(), t.Store(), after), beforeBytes);
    const auto fresh = test::LoadedFresh("Dogwood", after);
    const TDataStream& loaded = *fresh->Store;
    EXPECT_EQ(loaded.RoutingTables[0].Rows[0][0], t.B);
    EXPECT_EQ(loaded.RoutingTables[0].Rows[0][1], t.Lines[2]);
    EXPECT_EQ(loaded.Lines[t.Index(t.B)].ALPriority, 3);
    EXPECT_EQ(loaded.Lines[t.Index(t.A)].ALPriority, 1);
    EXPECT_EQ(FindPort(loaded, t.B)->AlData->AL_PrgNum, "142");
    EXPECT_EQ(FindPort(loaded, t.A)->AlData->AL_PrgNum, "");
}

TEST(CrossConnectForm, CancelledQuestionChangesNothing) {
    TCrossWindow t;
    app::TCrossConnectForm form(t.W.Ctx());
    ASSERT_TRUE(form.ChoosePort(form.FirstList(), t.A));
    ASSERT_TRUE(form.ChoosePort(form.SecondList(), t.B));
    const std::string session = test::SessionPrint(t.Session());
    const std::string store = test::StorePrint(t.Session(), t.Store());
    t.W.Dialogs.ExpectQuestion("", TAnswer::Cancel);
    EXPECT_FALSE(form.ExchangePorts());
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(test::SessionPrint(t.Session()), session);
    EXPECT_EQ(test::StorePrint(t.Session(), t.Store()), store);
    EXPECT_EQ(Cp1251ToUtf8(t.Store().Names->GetPortName(static_cast<int>(t.Index(t.A)))),
              "Бухгалтер");
    EXPECT_EQ(form.StatusLabel()->text(), "Обмен отменен, ничего не изменено.");
}

TEST(CrossConnectForm, KindsListTheirOwnPortsAndRefusalsAreExplained) {
    TCrossWindow t;
    app::TCrossConnectForm form(t.W.Ctx());
    form.KindList()->setCurrentIndex(2);
    int trunks = 0;
    for (const TPortPtr& p : t.Store().Ports) trunks += p->Type == kPortTypeTrunk;
    ASSERT_EQ(form.FirstList()->count(), trunks);
    for (int i = 0; i < form.FirstList()->count(); ++i)
        EXPECT_EQ(FindPort(t.Store(), form.FirstList()->itemData(i).toInt())->Type, kPortTypeTrunk);
    EXPECT_FALSE(form.ChoosePort(form.FirstList(), t.A));

    const std::string session = test::SessionPrint(t.Session());
    form.SecondList()->setCurrentIndex(form.FirstList()->currentIndex());
    t.W.Dialogs.ExpectMessage("Выберите два разных порта.");
    EXPECT_FALSE(form.ExchangePorts());
    EXPECT_TRUE(t.W.Dialogs.AllSeen());
    EXPECT_EQ(Items(form.PlanList()), QStringList{"Выберите два разных порта."});
    EXPECT_EQ(test::SessionPrint(t.Session()), session);

    // Choosing another port forgets the plan shown for the pair before.
    form.SecondList()->setCurrentIndex(1);
    EXPECT_EQ(form.PlanList()->count(), 0);
}

TEST(CrossConnectForm, UsableByKeyboardAndReader) {
    TCrossWindow t;
    app::TCrossConnectForm form(t.W.Ctx());
    test::ExpectUsableByKeyboardAndReader(form);
}

TEST(CrossConnectForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TCrossWindow t;
    app::TCrossConnectForm form(t.W.Ctx());
    form.show();
    form.ChoosePort(form.FirstList(), t.A);
    form.ChoosePort(form.SecondList(), t.B);
    form.ShowPlan();
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("cross_connect.png"))));
}

}  // namespace
}  // namespace zarnik
