#include "app/door_phone_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "app/form_helpers.h"
#include "editors/door_phone_editor.h"

namespace zarnik::app {

namespace {

void Fill(QComboBox* box, const std::vector<std::string>& items, int current) {
    box->clear();
    for (const std::string& item : items) box->addItem(Qs(item));
    box->setCurrentIndex(current);
}

int IndexOf(const std::vector<std::string>& items, const std::string& text) {
    const auto at = std::find(items.begin(), items.end(), text);
    return at == items.end() ? 0 : static_cast<int>(at - items.begin());
}

// The key rule of a digit-only field: a typed character that is not a digit, backspace
// included, is dropped; keys that type nothing (arrows, Delete, shortcuts) pass.
bool DigitOnlyKeyDropped(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace) return !DigitKeyAccepted('\b');
    const QString text = key.text();
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    const char16_t c = text.at(0).unicode();
    return !DigitKeyAccepted(c < 0x80 ? static_cast<char>(c) : '\0');
}

}  // namespace

TDomofonForm::TDomofonForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Программирование параметров домофонов"));

    Number = new QLabel(this);
    Name = new QLineEdit(this);
    auto* top = new QFormLayout;
    top->addRow(Number);
    top->addRow(BuddyLabel(QStringLiteral("Имя домофона: "), Name, this), Name);

    auto* switches = NamedGroup(QStringLiteral("Триггерные установки домофона"), this);
    AllLinesOpen = CaptionedButton<QCheckBox>(QStringLiteral("Разрешение включения замка всем АЛ"), switches);
    DropCall = CaptionedButton<QCheckBox>(
        QStringLiteral("Разрешение отбоя входящего вызова при невозможности его приема"), switches);
    ToneOpen = CaptionedButton<QCheckBox>(
        QStringLiteral("Использование тонального набора для открывания"), switches);
    auto* switchLayout = new QVBoxLayout(switches);
    for (QCheckBox* b : {AllLinesOpen, DropCall, ToneOpen}) switchLayout->addWidget(b);

    auto* digits = NamedGroup(QStringLiteral("Цифровые установки домофона"), this);
    Port = new QComboBox(digits);
    Code = new QLineEdit(digits);
    Code->installEventFilter(this);
    Code->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Code));
    Day = new QComboBox(digits);
    Night = new QComboBox(digits);
    auto* digitLayout = new QFormLayout(digits);
    digitLayout->addRow(BuddyLabel(QStringLiteral("Порт приписки домофона"), Port, digits), Port);
    digitLayout->addRow(BuddyLabel(QStringLiteral("Код открывания"), Code, digits), Code);
    digitLayout->addRow(BuddyLabel(QStringLiteral("Дневная таблица наведения"), Day, digits), Day);
    digitLayout->addRow(BuddyLabel(QStringLiteral("Ночная таблица наведения"), Night, digits), Night);
    Port->setMinimumContentsLength(16);

    Previous = CaptionedButton<QPushButton>(QStringLiteral("Предыдущий"), this);
    Next = CaptionedButton<QPushButton>(QStringLiteral("Следующий"), this);
    Show = CaptionedButton<QPushButton>(QStringLiteral("Вывод инфы о текущем домофоне"), this);
    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    auto* buttons = new QGridLayout;
    buttons->addWidget(Previous, 0, 0);
    buttons->addWidget(Next, 0, 1);
    buttons->addWidget(Show, 1, 0);
    buttons->addWidget(Commit, 1, 1);
    for (QPushButton* b : {Previous, Next, Show, Commit}) b->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(switches);
    layout->addWidget(digits);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* previous = Name;
    for (QWidget* w : std::initializer_list<QWidget*>{AllLinesOpen, DropCall, ToneOpen, Port, Code,
                                                      Day, Night, Previous, Next, Show, Commit}) {
        setTabOrder(previous, w);
        previous = w;
    }

    connect(Previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(Next, &QPushButton::clicked, this, [this] { Step(+1); });
    connect(Show, &QPushButton::clicked, this, &TDomofonForm::ShowStore);
    connect(Commit, &QPushButton::clicked, this, &TDomofonForm::CommitData);

    const bool any = Ctx.D().DoorPhoneCount > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{Name, switches, digits, Previous, Next, Show, Commit})
        w->setEnabled(any);
    ShowStore();
}

void TDomofonForm::ShowStore() {
    Number->setText(QStringLiteral("Домофон № %1").arg(Current + 1));
    Number->setAccessibleName(Number->text());
    if (Ctx.D().DoorPhoneCount == 0) return;
    const TDoorPhoneView v = DoorPhoneView(Ctx.D(), Current);
    Name->setText(Qs(v.Name));
    AllLinesOpen->setChecked(v.AllALOpening);
    DropCall->setChecked(v.ResetInCall);
    ToneOpen->setChecked(v.DTMFOpening);
    const TDf& record = Ctx.D().DoorPhones[static_cast<std::size_t>(Current)];
    const auto ports = PortChoices(Ctx.D(), {kPortTypeSubscriber, kPortTypeTrunk, kPortTypeAttachedDoorPhone},
                                   record.LinkPort);
    Fill(Port, ports, PortChoiceIndex(ports, v.Port));
    Code->setText(Qs(v.OpenCode));
    const auto days = RoutingTableChoices(Ctx.S(), record.DayTable);
    Fill(Day, days, IndexOf(days, v.DayTable));
    const auto nights = RoutingTableChoices(Ctx.S(), record.NightTable);
    Fill(Night, nights, IndexOf(nights, v.NightTable));
}

bool TDomofonForm::CommitData() {
    if (Ctx.D().DoorPhoneCount == 0) return true;
    TDoorPhoneView v;
    v.Name = Std(Name->text());
    v.AllALOpening = AllLinesOpen->isChecked();
    v.ResetInCall = DropCall->isChecked();
    v.DTMFOpening = ToneOpen->isChecked();
    v.Port = Std(Port->currentText());
    v.OpenCode = Std(Code->text());
    v.DayTable = Std(Day->currentText());
    v.NightTable = Std(Night->currentText());
    return CommitDoorPhone(Ctx.S(), Ctx.D(), Current, v, Ctx.Dlg());
}

void TDomofonForm::Step(int direction) {
    if (!CommitData()) return;
    Current = StepRecord(Current, Ctx.D().DoorPhoneCount, direction);
    ShowStore();
}

void TDomofonForm::done(int result) {
    if (!CommitData()) return;  // the message has been shown; the window stays open
    AfterDoorPhoneWindow(Ctx.S(), Ctx.D());
    QDialog::done(result);
}

bool TDomofonForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Code && event->type() == QEvent::KeyPress &&
        DigitOnlyKeyDropped(*static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

}  // namespace zarnik::app
