#include "app/line_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/grid_cells.h"

namespace zarnik::app {

namespace {

// Trunk line rows side by side in "Закрытые СЛ".
constexpr int kTrunkColumns = 3;

const QString kSwitchHint = QStringLiteral(
    "Двойной щелчок (или клавиша «-» на флажке строки): \"->\" - АЛ следует группе, "
    "пусто - у АЛ своё значение");

void FillNumbers(QComboBox* box, const std::vector<int>& values, int current) {
    box->clear();
    for (const int v : values) box->addItem(QString::number(v), v);
    box->setCurrentIndex(box->findData(current));
}

int NumberOf(const QComboBox* box) {
    return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
}

}  // namespace

// ---------------------------------------------------------------- switch label

TSwitchLabel::TSwitchLabel(QWidget* parent) : QLabel(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("->")) + 6);
    setToolTip(kSwitchHint);
    SetOwn(false);
}

void TSwitchLabel::SetOwn(bool own) {
    IsOwn = own;
    setText(Qs(SwitchText(own)));
    setAccessibleName(own ? QStringLiteral("своё значение") : QStringLiteral("следует группе"));
}

void TSwitchLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT DoubleClicked();
}

// ---------------------------------------------------------------- group value

TGroupValueBox::TGroupValueBox(const QString& caption, QWidget* parent)
    : QWidget(parent), Caption(caption) {
    setToolTip(QStringLiteral("В левом столбце - соответствующие групповые установки"));
    SetChecked(false);
}

void TGroupValueBox::SetChecked(bool on) {
    Value = on;
    setAccessibleName(QStringLiteral("Группа: %1: %2").arg(Caption, on ? "да" : "нет"));
    update();
}

QSize TGroupValueBox::sizeHint() const {
    const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    return {w + 2, h + 2};
}

void TGroupValueBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state &= ~QStyle::State_Enabled;  // the user cannot change it
    option.state |= Value ? QStyle::State_On : QStyle::State_Off;
    const QSize indicator = sizeHint() - QSize(2, 2);
    option.rect = QRect(QPoint(1, (height() - indicator.height()) / 2), indicator);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
}

// ---------------------------------------------------------------- panel

TLinePanel::TLinePanel(const TAppContext& ctx, QWidget* parent) : TItemPanel(parent), Ctx(ctx) {
    const std::string& model = Ctx.S().Identity.ModelName;
    const std::string& version = Ctx.S().Identity.Version;

    auto* frame = NamedGroup(Qs(kLinePanelCaption), this);
    Number = new QLabel(frame);
    Name = new QLineEdit(frame);
    auto* top = new QHBoxLayout;
    top->addWidget(Number);
    top->addSpacing(12);
    top->addWidget(BuddyLabel(Qs(kLineNameCaption), Name, frame));
    top->addWidget(Name, 1);

    auto* settings = NamedGroup(QStringLiteral("Триггерные установки АЛ"), frame);
    settings->setToolTip(QStringLiteral("В левом столбце - соответствующие групповые установки"));
    auto* settingGrid = new QGridLayout(settings);
    settingGrid->setVerticalSpacing(0);
    int r = 0;
    for (const TLineSettingRow& s : LineSettingRows(model, version)) {
        TRow row = MakeRow(Qs(s.Caption), s.Setting, settings);
        AddRow(settingGrid, row, r++, 0);
        if (!s.Editable) {
            row.Own->setEnabled(false);
            row.Switch->setEnabled(false);
        }
        SettingRows.push_back(row);
    }

    auto* doors = NamedGroup(QStringLiteral("Домофонов"), frame);
    doors->setToolTip(QStringLiteral("Разрешение открытия замков домофонов"));
    auto* doorGrid = new QGridLayout(doors);
    doorGrid->setVerticalSpacing(0);
    int d = 0;
    for (const TLineSettingRow& s : LineDoorPhoneRows(model)) {
        TRow row = MakeRow(Qs(s.Caption), s.Setting, doors);
        AddRow(doorGrid, row, d / 2, d % 2);
        ++d;
        SettingRows.push_back(row);
    }
    doorGrid->setColumnStretch(6, 1);

    auto* trunks = NamedGroup(QStringLiteral("Закрытые СЛ"), frame);
    TrunkScroll = Named(new QScrollArea(trunks), QStringLiteral("Закрытые СЛ"));
    TrunkScroll->setWidgetResizable(true);
    TrunkScroll->setFrameShape(QFrame::NoFrame);
    TrunkHolder = new QWidget;
    TrunkGrid = new QGridLayout(TrunkHolder);
    TrunkGrid->setVerticalSpacing(0);
    TrunkGrid->setContentsMargins(0, 0, 0, 0);
    TrunkScroll->setWidget(TrunkHolder);
    auto* trunkLayout = new QVBoxLayout(trunks);
    trunkLayout->addWidget(TrunkScroll);

    auto* digits = NamedGroup(QStringLiteral("Цифровые данные"), frame);
    Priority = new QComboBox(digits);
    Loudspeaker = new QComboBox(digits);
    DirectCall = new QLineEdit(digits);
    DirectCall->setValidator(new TRuleValidator(
        [](std::string_view text) { return DirectCallTextAccepted(text); }, DirectCall));
    DirectCall->setMaxLength(5);
    GroupPriority = new QLabel(digits);
    GroupLoudspeaker = new QLabel(digits);
    GroupDirectCall = new QLabel(digits);
    auto* digitGrid = new QGridLayout(digits);
    const std::array<std::pair<const char*, QWidget*>, 3> fields{
        {{"Приоритет:", Priority}, {"Номер ГГС:", Loudspeaker}, {"Прямой вызов:", DirectCall}}};
    const std::array<QLabel*, 3> groupLabels{GroupPriority, GroupLoudspeaker, GroupDirectCall};
    for (int k = 0; k < 3; ++k) {
        digitGrid->addWidget(BuddyLabel(Qs(fields[static_cast<std::size_t>(k)].first),
                                        fields[static_cast<std::size_t>(k)].second, digits),
                             k, 0);
        digitGrid->addWidget(fields[static_cast<std::size_t>(k)].second, k, 1);
        digitGrid->addWidget(groupLabels[static_cast<std::size_t>(k)], k, 2);
    }
    digitGrid->setColumnStretch(2, 1);

    EditAreas = {Name, settings, doors, trunks, digits};

    CommitBtn = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), frame);
    CancelBtn = CaptionedButton<QPushButton>(QStringLiteral("Отмена"), frame);
    for (QPushButton* b : {CommitBtn, CancelBtn}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommitBtn);
    buttons->addWidget(CancelBtn);

    auto* right = new QVBoxLayout;
    right->addWidget(doors);
    right->addWidget(trunks, 1);
    right->addWidget(digits);
    auto* middle = new QHBoxLayout;
    middle->addWidget(settings);
    middle->addLayout(right, 1);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addLayout(top);
    frameLayout->addLayout(middle, 1);
    frameLayout->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    connect(CommitBtn, &QPushButton::clicked, this, [this] {
        if (Commit()) Q_EMIT Committed();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        ShowItem(CurrentPort);
        Q_EMIT Cancelled();
    });
}

TLinePanel::TRow TLinePanel::MakeRow(const QString& caption, int setting, QWidget* parent) {
    TRow row;
    row.Setting = setting;
    row.Group = new TGroupValueBox(caption, parent);
    row.Switch = new TSwitchLabel(parent);
    row.Own = CaptionedButton<QCheckBox>(caption, parent);
    row.Own->setAccessibleDescription(kSwitchHint);
    row.Own->installEventFilter(this);
    // A line that follows its group holds no value of its own: a check there is undone.
    connect(row.Own, &QCheckBox::toggled, this, [row](bool on) {
        if (on && !OwnBoxMayBeChecked(row.Switch->Own())) row.Own->setChecked(false);
    });
    connect(row.Switch, &TSwitchLabel::DoubleClicked, this, [row] { Toggle(row); });
    return row;
}

void TLinePanel::AddRow(QGridLayout* grid, const TRow& row, int gridRow, int column) {
    grid->addWidget(row.Group, gridRow, column * 3);
    grid->addWidget(row.Switch, gridRow, column * 3 + 1);
    grid->addWidget(row.Own, gridRow, column * 3 + 2);
}

void TLinePanel::Toggle(const TRow& row) {
    bool own = row.Switch->Own();
    bool checked = row.Own->isChecked();
    ToggleSwitch(own, checked);
    row.Switch->SetOwn(own);
    row.Own->setChecked(checked);
}

void TLinePanel::BuildTrunkRows() {
    std::vector<TLineTrunkRow> rows = LineTrunkRows(Ctx.D());
    const bool same = rows.size() == Trunks.size() &&
                      std::equal(rows.begin(), rows.end(), Trunks.begin(),
                                 [](const TLineTrunkRow& a, const TLineTrunkRow& b) {
                                     return a.Port == b.Port && a.SlIndex == b.SlIndex;
                                 });
    if (same && !TrunkRows.empty()) return;
    for (const TRow& row : TrunkRows) {
        delete row.Group;
        delete row.Switch;
        delete row.Own;
    }
    TrunkRows.clear();
    Trunks = std::move(rows);
    for (std::size_t k = 0; k < Trunks.size(); ++k) {
        TRow row = MakeRow(QString::number(Trunks[k].Port), static_cast<int>(k), TrunkHolder);
        AddRow(TrunkGrid, row, static_cast<int>(k) / kTrunkColumns,
               static_cast<int>(k) % kTrunkColumns);
        TrunkRows.push_back(row);
    }
    // The rows keep together at the top left however large the area is.
    const int gridRows = (static_cast<int>(TrunkRows.size()) + kTrunkColumns - 1) / kTrunkColumns;
    for (int r = 0; r <= gridRows; ++r) TrunkGrid->setRowStretch(r, r == gridRows ? 1 : 0);
    TrunkGrid->setColumnStretch(kTrunkColumns * 3, 1);
    // Tab runs from the door phones through the trunk line rows in reading order, then on to
    // the numbers and the buttons.
    QWidget* previous = SettingRows.empty() ? static_cast<QWidget*>(Name) : SettingRows.back().Own;
    setTabOrder(previous, TrunkScroll);
    previous = TrunkScroll;
    for (const TRow& row : TrunkRows) {
        setTabOrder(previous, row.Own);
        previous = row.Own;
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{Priority, Loudspeaker, DirectCall, CommitBtn, CancelBtn}) {
        setTabOrder(previous, w);
        previous = w;
    }
}

void TLinePanel::ShowItem(int port) {
    CurrentPort = port;
    BuildTrunkRows();
    const TLineView v = LineView(Ctx.S(), Ctx.D(), port, Trunks);
    const TLineGroupView g = LineGroupView(Ctx.S(), Ctx.D(), port, Trunks);
    const bool carried = LineRecordIndex(Ctx.S(), Ctx.D(), port) >= 0;

    QString number = QStringLiteral("АЛ %1").arg(port);
    number +=
        g.Number > 0 ? QStringLiteral(", группа %1").arg(g.Number) : QStringLiteral(", без группы");
    if (!carried) number += QStringLiteral(", не входит в таблицу АЛ станции");
    Number->setText(number);
    Number->setAccessibleName(number);
    Name->setText(Qs(v.Name));
    for (const TRow& row : SettingRows) {
        const auto k = static_cast<std::size_t>(row.Setting);
        row.Group->SetChecked(g.Value[k]);
        row.Switch->SetOwn(v.Own[k]);
        row.Own->setChecked(v.Value[k]);  // shown as stored, even where the row follows
    }
    for (std::size_t k = 0; k < TrunkRows.size(); ++k) {
        TrunkRows[k].Group->SetChecked(g.Trunk[k]);
        TrunkRows[k].Switch->SetOwn(v.TrunkOwn[k]);
        TrunkRows[k].Own->setChecked(v.TrunkValue[k]);
    }
    FillNumbers(Priority, PriorityChoices(v.Priority), v.Priority);
    FillNumbers(Loudspeaker, LoudspeakerChoices(Ctx.S(), v.Loudspeaker), v.Loudspeaker);
    DirectCall->setText(Qs(v.DirectCall));
    GroupPriority->setText(Qs(kLineGroupValuePrefix) + Qs(g.Priority));
    GroupLoudspeaker->setText(Qs(kLineGroupValuePrefix) + Qs(g.Loudspeaker));
    GroupDirectCall->setText(Qs(kLineGroupValuePrefix) + Qs(g.DirectCall));
    for (QWidget* w : EditAreas) w->setEnabled(carried);
    CommitBtn->setEnabled(carried);
    Shown = CurrentView();
}

TLineView TLinePanel::CurrentView() const {
    TLineView v;
    v.Name = Std(Name->text());
    for (const TRow& row : SettingRows) {
        const auto k = static_cast<std::size_t>(row.Setting);
        v.Own[k] = row.Switch->Own();
        v.Value[k] = row.Own->isChecked();
    }
    // Settings without a row keep what the store holds; the commit does not take them.
    const TLineView stored = LineView(Ctx.S(), Ctx.D(), CurrentPort, Trunks);
    for (int i = 0; i < kAlSettingCount; ++i)
        if (RowOf(i) == nullptr) {
            v.Own[static_cast<std::size_t>(i)] = stored.Own[static_cast<std::size_t>(i)];
            v.Value[static_cast<std::size_t>(i)] = stored.Value[static_cast<std::size_t>(i)];
        }
    for (const TRow& row : TrunkRows) {
        v.TrunkOwn.push_back(row.Switch->Own());
        v.TrunkValue.push_back(row.Own->isChecked());
    }
    v.Priority = NumberOf(Priority);
    v.Loudspeaker = NumberOf(Loudspeaker);
    v.DirectCall = Std(DirectCall->text());
    return v;
}

bool TLinePanel::Commit() {
    if (!CommitLine(Ctx.S(), Ctx.D(), CurrentPort, Trunks, CurrentView(), Ctx.Dlg())) return false;
    ShowItem(CurrentPort);
    return true;
}

bool TLinePanel::Dirty() const {
    return CurrentView() != Shown;
}

const TLinePanel::TRow* TLinePanel::RowOf(int setting) const {
    for (const TRow& row : SettingRows)
        if (row.Setting == setting) return &row;
    return nullptr;
}

QCheckBox* TLinePanel::OwnBox(int setting) const {
    const TRow* row = RowOf(setting);
    return row ? row->Own : nullptr;
}
TSwitchLabel* TLinePanel::Switch(int setting) const {
    const TRow* row = RowOf(setting);
    return row ? row->Switch : nullptr;
}
TGroupValueBox* TLinePanel::GroupValue(int setting) const {
    const TRow* row = RowOf(setting);
    return row ? row->Group : nullptr;
}
QCheckBox* TLinePanel::TrunkBox(int row) const {
    return TrunkRows.at(static_cast<std::size_t>(row)).Own;
}
TSwitchLabel* TLinePanel::TrunkSwitch(int row) const {
    return TrunkRows.at(static_cast<std::size_t>(row)).Switch;
}
TGroupValueBox* TLinePanel::TrunkGroupValue(int row) const {
    return TrunkRows.at(static_cast<std::size_t>(row)).Group;
}

bool TLinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Minus) {
        for (const std::vector<TRow>* rows : {&SettingRows, &TrunkRows})
            for (const TRow& row : *rows)
                if (row.Own == watched && row.Own->isEnabled()) {
                    Toggle(row);
                    return true;
                }
    }
    return TItemPanel::eventFilter(watched, event);
}

}  // namespace zarnik::app
