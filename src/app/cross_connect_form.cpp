#include "app/cross_connect_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "app/form_helpers.h"

namespace zarnik::app {

namespace {

struct TKindItem {
    ECrossKind Kind;
    const char* Caption;
};
constexpr std::array<TKindItem, 3> kKinds{{
    {ECrossKind::Line, "Абонентские линии (АЛ)"},
    {ECrossKind::SystemPhone, "Системные телефоны (СТА)"},
    {ECrossKind::Trunk, "Соединительные линии (СЛ)"},
}};

}  // namespace

TCrossConnectForm::TCrossConnectForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(Qs(kCrossConnectTitle));

    Kind = new QComboBox(this);
    for (const TKindItem& k : kKinds) Kind->addItem(Qs(k.Caption));
    First = new QComboBox(this);
    Second = new QComboBox(this);
    for (QComboBox* box : {First, Second}) box->setMinimumContentsLength(28);
    auto* choice = new QFormLayout;
    choice->addRow(BuddyLabel(QStringLiteral("Вид портов:"), Kind, this), Kind);
    choice->addRow(BuddyLabel(QStringLiteral("Первый порт:"), First, this), First);
    choice->addRow(BuddyLabel(QStringLiteral("Второй порт:"), Second, this), Second);

    Show = CaptionedButton<QPushButton>(QStringLiteral("Показать изменения"), this);
    Plan = new QListWidget(this);
    Plan->setMinimumSize(760, 360);
    auto* planLabel = BuddyLabel(QStringLiteral("Что будет изменено:"), Plan, this);
    Status = new QLabel(this);
    Status->setWordWrap(true);

    Execute = CaptionedButton<QPushButton>(QStringLiteral("Выполнить"), this);
    Close = CaptionedButton<QPushButton>(QStringLiteral("Закрыть"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Show);
    buttons->addStretch();
    buttons->addWidget(Execute);
    buttons->addWidget(Close);
    for (QPushButton* b : {Show, Execute, Close}) b->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(planLabel);
    layout->addWidget(Plan);
    layout->addWidget(Status);
    layout->addLayout(buttons);

    QWidget* previous = Kind;
    for (QWidget* w : std::initializer_list<QWidget*>{First, Second, Show, Plan, Execute, Close}) {
        setTabOrder(previous, w);
        previous = w;
    }

    connect(Kind, &QComboBox::currentIndexChanged, this, [this] { FillPorts(); });
    connect(First, &QComboBox::currentIndexChanged, this, [this] { Forget(); });
    connect(Second, &QComboBox::currentIndexChanged, this, [this] { Forget(); });
    connect(Show, &QPushButton::clicked, this, &TCrossConnectForm::ShowPlan);
    connect(Execute, &QPushButton::clicked, this, &TCrossConnectForm::ExchangePorts);
    connect(Close, &QPushButton::clicked, this, &QDialog::accept);
    FillPorts();
}

ECrossKind TCrossConnectForm::ChosenKind() const {
    const int i = std::max(0, Kind->currentIndex());
    return kKinds[static_cast<std::size_t>(i)].Kind;
}

int TCrossConnectForm::ChosenPort(const QComboBox* list) const {
    return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
}

bool TCrossConnectForm::ChoosePort(QComboBox* list, int port) {
    const int i = list->findData(port);
    if (i < 0) return false;
    list->setCurrentIndex(i);
    return true;
}

// Both lists offer the ports of the chosen kind; a port chosen before stays chosen, so that the
// lists can be refreshed after an exchange moved names and program numbers.
void TCrossConnectForm::FillPorts() {
    const int first = ChosenPort(First);
    const int second = ChosenPort(Second);
    const std::vector<TCrossPortChoice> choices = CrossPortChoices(Ctx.D(), ChosenKind());
    for (QComboBox* box : {First, Second}) {
        const QSignalBlocker quiet(box);
        box->clear();
        for (const TCrossPortChoice& c : choices) box->addItem(Qs(c.Caption), c.Number);
    }
    if (!ChoosePort(First, first)) First->setCurrentIndex(choices.empty() ? -1 : 0);
    if (!ChoosePort(Second, second))
        Second->setCurrentIndex(choices.size() > 1 ? 1 : First->currentIndex());
    const bool pair = choices.size() > 1;
    for (QWidget* w : std::initializer_list<QWidget*>{Show, Execute}) w->setEnabled(pair);
    Forget();
    if (!pair) Status->setText(QStringLiteral("На станции нет двух портов этого вида."));
}

void TCrossConnectForm::Forget() {
    Plan->clear();
    Status->clear();
}

void TCrossConnectForm::ShowLines(const std::vector<std::string>& lines) {
    Plan->clear();
    for (const std::string& line : lines) Plan->addItem(Qs(line));
    if (Plan->count() > 0) Plan->setCurrentRow(0);
}

void TCrossConnectForm::ShowPlan() {
    const TCrossPlan plan =
        PlanCrossConnect(Ctx.S(), Ctx.D(), ChosenPort(First), ChosenPort(Second));
    ShowLines(plan.Lines());
    Status->setText(plan.Ok() ? QStringLiteral("Изменений: %1.").arg(plan.Changes.size())
                              : QStringLiteral("Обмен невозможен."));
}

bool TCrossConnectForm::ExchangePorts() {
    const int first = ChosenPort(First);
    const int second = ChosenPort(Second);
    const TCrossPlan plan = PlanCrossConnect(Ctx.S(), Ctx.D(), first, second);
    ShowLines(plan.Lines());
    if (!plan.Ok()) {
        Status->setText(QStringLiteral("Обмен невозможен."));
        Ctx.Dlg().Message(plan.Refusal, "Ошибка");
        return false;
    }
    if (Ctx.Dlg().Question(CrossConnectQuestion(plan), "Внимание!") != TAnswer::Ok) {
        Status->setText(QStringLiteral("Обмен отменен, ничего не изменено."));
        return false;
    }
    const TCrossPlan done = ApplyCrossConnect(Ctx.S(), Ctx.D(), first, second);
    if (!done.Ok()) {
        Status->setText(QStringLiteral("Обмен невозможен."));
        Ctx.Dlg().Message(done.Refusal, "Ошибка");
        return false;
    }
    FillPorts();
    ShowLines(done.Lines());
    Status->setText(QStringLiteral("Порты %1 и %2 обменены.").arg(first).arg(second));
    return true;
}

}  // namespace zarnik::app
