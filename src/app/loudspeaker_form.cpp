#include "app/loudspeaker_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "editors/loudspeaker_editor.h"

namespace zarnik::app {

TGgsForm::TGgsForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Программирование каналов ГГС"));

    Number = new QLabel(this);
    Name = new QLineEdit(this);
    auto* top = new QFormLayout;
    top->addRow(Number);
    top->addRow(BuddyLabel(QStringLiteral("Имя ГГС :"), Name, this), Name);

    auto* switches = NamedGroup(QStringLiteral("Триггерные установки канала ГГС"), this);
    AutoOff = CaptionedButton<QCheckBox>(QStringLiteral("Запрет автоматического отключения ГГС"), switches);
    auto* switchLayout = new QVBoxLayout(switches);
    switchLayout->addWidget(AutoOff);

    auto* digits = NamedGroup(QStringLiteral("Цифровые установки канала ГГС"), this);
    Port = new QComboBox(digits);
    Port->setMinimumContentsLength(16);
    auto* digitLayout = new QFormLayout(digits);
    digitLayout->addRow(BuddyLabel(QStringLiteral("Порт приписки канала ГГС"), Port, digits), Port);

    Previous = CaptionedButton<QPushButton>(QStringLiteral("Предыдущий"), this);
    Next = CaptionedButton<QPushButton>(QStringLiteral("Следующий"), this);
    Show = CaptionedButton<QPushButton>(QStringLiteral("Вывод инфы о текущем канале"), this);
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
    for (QWidget* w : std::initializer_list<QWidget*>{AutoOff, Port, Previous, Next, Show, Commit}) {
        setTabOrder(previous, w);
        previous = w;
    }

    connect(Previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(Next, &QPushButton::clicked, this, [this] { Step(+1); });
    connect(Show, &QPushButton::clicked, this, &TGgsForm::ShowStore);
    connect(Commit, &QPushButton::clicked, this, &TGgsForm::CommitData);

    const bool any = Ctx.D().LoudspeakerCount > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{Name, switches, digits, Previous, Next, Show, Commit})
        w->setEnabled(any);
    ShowStore();
}

void TGgsForm::ShowStore() {
    Number->setText(QStringLiteral("ГГС № %1").arg(Current + 1));
    Number->setAccessibleName(Number->text());
    if (Ctx.D().LoudspeakerCount == 0) return;
    const TLoudspeakerView v = LoudspeakerView(Ctx.D(), Current);
    Name->setText(Qs(v.Name));
    AutoOff->setChecked(v.AutoOff);
    const auto ports =
        PortChoices(Ctx.D(), {kPortTypeSubscriber, kPortTypeTrunk, kPortTypeAttachedLoudspeaker},
                    Ctx.D().Loudspeakers[static_cast<std::size_t>(Current)].LinkPort);
    Port->clear();
    for (const std::string& p : ports) Port->addItem(Qs(p));
    Port->setCurrentIndex(PortChoiceIndex(ports, v.Port));
}

bool TGgsForm::CommitData() {
    if (Ctx.D().LoudspeakerCount == 0) return true;
    TLoudspeakerView v;
    v.Name = Std(Name->text());
    v.AutoOff = AutoOff->isChecked();
    v.Port = Std(Port->currentText());
    return CommitLoudspeaker(Ctx.S(), Ctx.D(), Current, v, Ctx.Dlg());
}

void TGgsForm::Step(int direction) {
    if (!CommitData()) return;
    Current = StepRecord(Current, Ctx.D().LoudspeakerCount, direction);
    ShowStore();
}

void TGgsForm::done(int result) {
    if (!CommitData()) return;  // the message has been shown; the window stays open
    AfterLoudspeakerWindow(Ctx.S(), Ctx.D());
    QDialog::done(result);
}

}  // namespace zarnik::app
