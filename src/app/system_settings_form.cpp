#include "app/system_settings_form.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "codecs/system_settings_codec.h"
#include "editors/settings_editing.h"

namespace zarnik::app {

namespace {

QTime ToQt(const TSwitchTime& t) {
    return QTime(t.Hours % 24, t.Minutes % 60, t.Seconds % 60, t.Milliseconds % 1000);
}

TSwitchTime FromQt(const QTime& t) {
    return {static_cast<std::uint16_t>(t.msec()), static_cast<std::uint16_t>(t.second()),
            static_cast<std::uint16_t>(t.minute()), static_cast<std::uint16_t>(t.hour())};
}

QTimeEdit* SwitchTimeEdit(QWidget* parent) {
    auto* edit = new QTimeEdit(parent);
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

}  // namespace

TSystemSettingsForm::TSystemSettingsForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Программирование общесистемных установок АТС"));

    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < Switches.size(); ++i) {
        Switches[i] = CaptionedButton<QCheckBox>(Qs(kSystemSwitches[i].Caption), this);
        layout->addWidget(Switches[i]);
    }

    Day = SwitchTimeEdit(this);
    Night = SwitchTimeEdit(this);
    auto* times = new QFormLayout;
    times->addRow(BuddyLabel(Qs(kDayTimeCaption), Day, this), Day);
    times->addRow(BuddyLabel(Qs(kNightTimeCaption), Night, this), Night);
    times->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    layout->addSpacing(8);
    layout->addLayout(times);

    Refresh = CaptionedButton<QPushButton>(QStringLiteral("Обновление данных"), this);
    Commit = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    Refresh->setAutoDefault(false);
    Commit->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Refresh);
    buttons->addWidget(Commit);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* previous = Switches[0];
    for (QWidget* next : {static_cast<QWidget*>(Switches[1]), static_cast<QWidget*>(Switches[2]),
                          static_cast<QWidget*>(Switches[3]), static_cast<QWidget*>(Switches[4]),
                          static_cast<QWidget*>(Switches[5]), static_cast<QWidget*>(Switches[6]),
                          static_cast<QWidget*>(Switches[7]), static_cast<QWidget*>(Day),
                          static_cast<QWidget*>(Night), static_cast<QWidget*>(Refresh),
                          static_cast<QWidget*>(Commit)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    connect(Refresh, &QPushButton::clicked, this, &TSystemSettingsForm::ShowStore);
    connect(Commit, &QPushButton::clicked, this, &TSystemSettingsForm::CommitData);
    ShowStore();
}

void TSystemSettingsForm::ShowStore() {
    const TSystemSettings& s = Ctx.D().SystemSettings;
    const std::array<bool, 8> values = SystemSwitchValues(s);
    for (std::size_t i = 0; i < Switches.size(); ++i) Switches[i]->setChecked(values[i]);
    Day->setTime(ToQt(s.SYS_DayTime));
    Night->setTime(ToQt(s.SYS_NightTime));
}

void TSystemSettingsForm::CommitData() {
    std::array<bool, 8> values{};
    for (std::size_t i = 0; i < Switches.size(); ++i) values[i] = Switches[i]->isChecked();
    CommitSystemSettings(Ctx.S(), Ctx.D(), values, FromQt(Day->time()), FromQt(Night->time()));
    accept();
}

}  // namespace zarnik::app
