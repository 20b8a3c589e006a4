#include "app/trunk_line_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/form_helpers.h"
#include "model/port.h"

namespace zarnik::app {

namespace {

constexpr int kSettings = kTrunkPauseColumn;  // switches 0-11; 12-17 are the directions

// The entries, and the one that shows `current`; a value the list lacks gets an entry of its
// own so that showing and committing never loses it.
void FillChoices(QComboBox* box, std::vector<std::string> items, const std::string& current) {
    if (std::find(items.begin(), items.end(), current) == items.end()) items.push_back(current);
    box->clear();
    for (const std::string& item : items) box->addItem(Qs(item));
    box->setCurrentIndex(
        static_cast<int>(std::find(items.begin(), items.end(), current) - items.begin()));
}

}  // namespace

bool AutoDialKeyDropped(const QKeyEvent& key, const std::string& version) {
    const QString text = key.text();
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    const char16_t c = text.at(0).unicode();
    return c >= 0x80 || !AutoDialKeyAccepted(static_cast<char>(c), version);
}

TTrunkLinePanel::TTrunkLinePanel(const TAppContext& ctx, QWidget* parent)
    : TItemPanel(parent), Ctx(ctx) {
    Number = new QLabel(this);
    Name = new QLineEdit(this);
    auto* top = new QFormLayout;
    top->addRow(Number);
    top->addRow(BuddyLabel(QStringLiteral("Имя СЛ: "), Name, this), Name);

    auto* settings = NamedGroup(QStringLiteral("Триггерные установки"), this);
    auto* settingsLayout = new QVBoxLayout(settings);
    auto* directions = NamedGroup(QStringLiteral("Направления"), this);
    auto* directionsLayout = new QGridLayout(directions);
    for (int i = 0; i < kTrunkSwitches; ++i) {
        const bool setting = i < kSettings;
        auto* box = CaptionedButton<QCheckBox>(Qs(TrunkColumnCaption(kTrunkFirstSwitchColumn + i)),
                                               setting ? settings : directions);
        Switches[static_cast<std::size_t>(i)] = box;
        if (setting)
            settingsLayout->addWidget(box);
        else
            directionsLayout->addWidget(box, (i - kSettings) % 3, (i - kSettings) / 3);
    }
    QCheckBox* pause = Switches[kTrunkPauseColumn - kTrunkFirstSwitchColumn];
    if (!PauseAfter8Carried(Ctx.S().Identity.Version)) {
        // The station does not keep the setting: "-", as the grid shows it.
        pause->setTristate(true);
        pause->setCheckState(Qt::PartiallyChecked);
        pause->setEnabled(false);
        pause->setToolTip(QStringLiteral("Не поддерживается версией рабочей программы АТС"));
    }

    auto* digits = NamedGroup(QStringLiteral("Цифровые установки"), this);
    MGDigit = new QComboBox(digits);
    Type = new QComboBox(digits);
    AutoDial = new QLineEdit(digits);
    AutoDial->setMaxLength(static_cast<int>(kTrunkAutoDialLength));
    AutoDial->installEventFilter(this);
    Day = new QComboBox(digits);
    Night = new QComboBox(digits);
    Block = new QComboBox(digits);
    auto* digitsLayout = new QFormLayout(digits);
    const std::array<std::pair<int, QWidget*>, 6> rows{{
        {kTrunkMGDigitColumn, MGDigit},
        {kTrunkTypeColumn, Type},
        {kTrunkAutoDialColumn, AutoDial},
        {kTrunkDayColumn, Day},
        {kTrunkNightColumn, Night},
        {kTrunkBlockColumn, Block},
    }};
    for (const auto& [column, field] : rows)
        digitsLayout->addRow(BuddyLabel(Qs(TrunkColumnCaption(column)), field, digits), field);

    CommitBtn = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    CancelBtn = CaptionedButton<QPushButton>(QStringLiteral("Отмена"), this);
    for (QPushButton* b : {CommitBtn, CancelBtn}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommitBtn);
    buttons->addWidget(CancelBtn);

    auto* right = new QVBoxLayout;
    right->addWidget(directions);
    right->addWidget(digits);
    right->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(settings);
    middle->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(buttons);

    QWidget* previous = Name;
    std::vector<QWidget*> order(Switches.begin(), Switches.end());
    for (const auto& row : rows) order.push_back(row.second);
    order.push_back(CommitBtn);
    order.push_back(CancelBtn);
    for (QWidget* w : order) {
        setTabOrder(previous, w);
        previous = w;
    }

    connect(CommitBtn, &QPushButton::clicked, this, [this] {
        if (Commit()) Q_EMIT Committed();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        ShowItem(Shown);
        Q_EMIT Cancelled();
    });
    ShowItem(-1);
}

void TTrunkLinePanel::Enable(bool on) {
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w == Number) continue;
        const bool pauseNotKept = w == Switches[kTrunkPauseColumn - kTrunkFirstSwitchColumn] &&
                                  !PauseAfter8Carried(Ctx.S().Identity.Version);
        w->setEnabled(on && !pauseNotKept);
    }
}

void TTrunkLinePanel::ShowItem(int portNumber) {
    const TPortPtr port = FindPort(Ctx.D(), portNumber);
    const bool trunk =
        port && port->Type == kPortTypeTrunk && TrunkRecordIndex(Ctx.S(), portNumber) >= 0;
    Shown = trunk ? portNumber : -1;
    Number->setText(trunk ? QStringLiteral("СЛ № %1").arg(portNumber) : QStringLiteral("СЛ № "));
    Number->setAccessibleName(Number->text());
    Fill(trunk ? TrunkLineView(Ctx.S(), Ctx.D(), portNumber) : TTrunkLineView{});
    Enable(trunk);
}

void TTrunkLinePanel::Fill(const TTrunkLineView& view) {
    Name->setText(Qs(view.Name));
    const bool pauseKept = PauseAfter8Carried(Ctx.S().Identity.Version);
    for (int i = 0; i < kTrunkSwitches; ++i) {
        if (i == kTrunkPauseColumn - kTrunkFirstSwitchColumn && !pauseKept) continue;
        Switches[static_cast<std::size_t>(i)]->setChecked(
            view.Switches[static_cast<std::size_t>(i)]);
    }
    if (Shown < 0) {
        for (QComboBox* box : {MGDigit, Type, Day, Night, Block}) box->clear();
        AutoDial->clear();
        return;
    }
    FillChoices(MGDigit, MGDigitChoices(), view.MGDigit);
    FillChoices(Type, TrunkTypeChoices(), view.Type);
    FillChoices(Day, TrunkRoutingChoices(Ctx.S()), view.Day);
    FillChoices(Night, TrunkRoutingChoices(Ctx.S()), view.Night);
    FillChoices(Block, BlockChoices(Ctx.S(), Ctx.D()), view.Block);
    AutoDial->setText(Qs(view.AutoDial));
}

TTrunkLineView TTrunkLinePanel::Values() const {
    // The stored view underneath keeps the setting the station does not carry as it is.
    TTrunkLineView v = TrunkLineView(Ctx.S(), Ctx.D(), Shown);
    v.Name = Std(Name->text());
    const bool pauseKept = PauseAfter8Carried(Ctx.S().Identity.Version);
    for (int i = 0; i < kTrunkSwitches; ++i) {
        if (i == kTrunkPauseColumn - kTrunkFirstSwitchColumn && !pauseKept) continue;
        v.Switches[static_cast<std::size_t>(i)] =
            Switches[static_cast<std::size_t>(i)]->isChecked();
    }
    v.MGDigit = Std(MGDigit->currentText());
    v.Type = Std(Type->currentText());
    v.AutoDial = Std(AutoDial->text());
    v.Day = Std(Day->currentText());
    v.Night = Std(Night->currentText());
    v.Block = Std(Block->currentText());
    return v;
}

bool TTrunkLinePanel::Dirty() const {
    if (Shown < 0) return false;
    return Values() != TrunkLineView(Ctx.S(), Ctx.D(), Shown);
}

bool TTrunkLinePanel::Commit() {
    if (Shown < 0) return true;
    if (!CommitTrunkLine(Ctx.S(), Ctx.D(), Shown, Values(), Ctx.Dlg())) return false;
    ShowItem(Shown);
    return true;
}

bool TTrunkLinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == AutoDial && event->type() == QEvent::KeyPress &&
        AutoDialKeyDropped(*static_cast<QKeyEvent*>(event), Ctx.S().Identity.Version))
        return true;
    return TItemPanel::eventFilter(watched, event);
}

}  // namespace zarnik::app
