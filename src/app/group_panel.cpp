#include "app/group_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "app/grid_cells.h"
#include "model/subscriber_line_record.h"

namespace zarnik::app {

namespace {

constexpr int kTrunkColumns = 8;
constexpr int kDoorPhones = 4;

void FillList(QComboBox* box, const std::vector<TGroupChoice>& choices, int value) {
    box->clear();
    for (const TGroupChoice& c : choices) box->addItem(Qs(c.Text), c.Value);
    box->setCurrentIndex(GroupChoiceIndex(choices, value));
}

int ValueOf(const QComboBox* box) {
    return box->currentIndex() < 0 ? 0 : box->currentData().toInt();
}

QComboBox* NamedList(const QString& name, QWidget* parent) {
    auto* box = Named(new QComboBox(parent), name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

bool IsDoorPhone(int index) {
    return index >= al_setting::Df01 && index < al_setting::Df01 + kDoorPhones;
}

}  // namespace

TGroupPanel::TGroupPanel(const TAppContext& ctx, QWidget* parent) : TItemPanel(parent), Ctx(ctx) {
    Number = new QLabel(this);
    Name = new QLineEdit(this);
    auto* top = new QHBoxLayout;
    top->addWidget(Number);
    top->addSpacing(16);
    top->addWidget(BuddyLabel(QStringLiteral("Имя группы: "), Name, this));
    top->addWidget(Name, 1);

    // The settings, door phones in a box of their own as on the line panel.
    auto* switches = NamedGroup(QStringLiteral("Триггерные установки группы"), this);
    auto* switchLayout = new QVBoxLayout(switches);
    switchLayout->setSpacing(1);
    auto* doors = NamedGroup(QStringLiteral("Домофонов"), this);
    doors->setToolTip(QStringLiteral("Разрешение открытия замков домофонов"));
    auto* doorLayout = new QGridLayout(doors);
    for (int i = 0; i < kAlSettingCount; ++i) {
        QWidget* owner = IsDoorPhone(i) ? static_cast<QWidget*>(doors) : switches;
        auto* box = CaptionedButton<QCheckBox>(Qs(GroupSettingCaption(i)), owner);
        Settings[static_cast<std::size_t>(i)] = box;
        if (IsDoorPhone(i)) {
            const int k = i - al_setting::Df01;
            doorLayout->addWidget(box, k / 2, k % 2);
        } else {
            switchLayout->addWidget(box);
        }
        box->setVisible(GroupSettingShown(Ctx.S(), i));
        // A row the station's working program does not keep shows the record and stays as it is.
        box->setEnabled(GroupSettingSaved(Ctx.S(), i));
    }
    auto* left = new QVBoxLayout;
    left->addWidget(switches);
    left->addWidget(doors);
    left->addStretch(1);

    auto* digits = NamedGroup(QStringLiteral("Цифровые данные"), this);
    Priority = new QComboBox(digits);
    Loudspeaker = new QComboBox(digits);
    DirectCall = new QLineEdit(digits);
    DirectCall->setValidator(new TRuleValidator(
        [](std::string_view text) { return GroupDirectCallValid(std::string(text)); }, DirectCall));
    auto* digitLayout = new QFormLayout(digits);
    digitLayout->addRow(BuddyLabel(Qs(kGroupPriorityCaption), Priority, digits), Priority);
    digitLayout->addRow(BuddyLabel(Qs(kGroupLoudspeakerCaption), Loudspeaker, digits), Loudspeaker);
    digitLayout->addRow(BuddyLabel(Qs(kGroupDirectCallCaption), DirectCall, digits), DirectCall);

    auto* calls = NamedGroup(Qs(kGroupCallCaption), this);
    auto* callLayout = new QGridLayout(calls);
    auto* intercepts = NamedGroup(Qs(kGroupInterceptCaption), this);
    auto* interceptLayout = new QGridLayout(intercepts);
    for (int k = 0; k < kGroupListEntries; ++k) {
        const auto at = static_cast<std::size_t>(k);
        CallLines[at] = NamedList(QStringLiteral("АЛ группового вызова %1").arg(k + 1), calls);
        CallLines[at]->setMinimumContentsLength(12);
        callLayout->addWidget(CallLines[at], k / 3, k % 3);
        Intercepts[at] = NamedList(QStringLiteral("Группа перехвата %1").arg(k + 1), intercepts);
        Intercepts[at]->setMinimumContentsLength(10);
        interceptLayout->addWidget(Intercepts[at], k / 3, k % 3);
    }

    auto* routing = NamedGroup(Qs(kGroupRoutingCaption), this);
    Day = new QComboBox(routing);
    Night = new QComboBox(routing);
    auto* routingLayout = new QHBoxLayout(routing);
    routingLayout->addWidget(BuddyLabel(QStringLiteral("Дневная таблица наведения"), Day, routing));
    routingLayout->addWidget(Day);
    routingLayout->addWidget(
        BuddyLabel(QStringLiteral("Ночная таблица наведения"), Night, routing));
    routingLayout->addWidget(Night);
    routingLayout->addStretch(1);

    auto* trunks = NamedGroup(Qs(kGroupTrunksCaption), this);
    TrunkScroll = Named(new QScrollArea(trunks), Qs(kGroupTrunksCaption));
    TrunkScroll->setWidgetResizable(true);
    TrunkScroll->setFrameShape(QFrame::NoFrame);
    auto* trunkHolder = new QWidget(TrunkScroll);
    TrunkGrid = new QGridLayout(trunkHolder);
    TrunkGrid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TrunkScroll->setWidget(trunkHolder);
    auto* trunkLayout = new QVBoxLayout(trunks);
    trunkLayout->addWidget(TrunkScroll);

    CommitBtn = CaptionedButton<QPushButton>(QStringLiteral("Внести данные"), this);
    CancelBtn = CaptionedButton<QPushButton>(QStringLiteral("Отмена"), this);
    for (QPushButton* b : {CommitBtn, CancelBtn}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommitBtn);
    buttons->addWidget(CancelBtn);

    auto* right = new QVBoxLayout;
    right->addWidget(digits);
    right->addWidget(calls);
    right->addWidget(intercepts);
    right->addWidget(routing);
    right->addWidget(trunks, 1);
    right->addLayout(buttons);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addLayout(columns, 1);

    // Tab follows the panel as it reads: the name, the switches, the door phones, then the right
    // column from the numbers down to the trunk lines (their boxes follow, see BuildTrunkBoxes).
    std::vector<QWidget*> order{Name};
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < kAlSettingCount; ++i)
            if (IsDoorPhone(i) == (pass == 1))
                order.push_back(Settings[static_cast<std::size_t>(i)]);
    order.insert(order.end(), {Priority, Loudspeaker, DirectCall});
    order.insert(order.end(), CallLines.begin(), CallLines.end());
    order.insert(order.end(), Intercepts.begin(), Intercepts.end());
    order.insert(order.end(), {Day, Night, TrunkScroll, CommitBtn, CancelBtn});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    connect(CommitBtn, &QPushButton::clicked, this, [this] {
        if (Commit()) Q_EMIT Committed();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        ShowItem(Current);
        Q_EMIT Cancelled();
    });
    ShowItem(0);
}

TGroupPanel::~TGroupPanel() = default;

void TGroupPanel::BuildTrunkBoxes(const std::vector<TGroupTrunk>& trunks) {
    bool same = trunks.size() == Trunks.size();
    for (std::size_t r = 0; same && r < trunks.size(); ++r)
        same = Trunks[r]->text() == QString::number(trunks[r].Port);
    if (same) return;
    for (QCheckBox* box : Trunks) delete box;
    Trunks.clear();
    QWidget* holder = TrunkGrid->parentWidget();
    for (const TGroupTrunk& t : trunks) {
        auto* box = CaptionedButton<QCheckBox>(QString::number(t.Port), holder);
        const int r = static_cast<int>(Trunks.size());
        TrunkGrid->addWidget(box, r / kTrunkColumns, r % kTrunkColumns);
        Trunks.push_back(box);
    }
    // Tab walks the boxes in port order, after their area and before the buttons.
    QWidget* previous = TrunkScroll;
    for (QCheckBox* box : Trunks) {
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, CommitBtn);
}

void TGroupPanel::ShowItem(int item) {
    Current = std::clamp(item, 0, kGroupCount - 1);
    Number->setText(QStringLiteral("Группа № %1").arg(Current + kFirstGroupNumber));
    Number->setAccessibleName(Number->text());
    const TGroupView view = GroupView(Ctx.S(), Ctx.D(), Current);
    BuildTrunkBoxes(view.Trunks);
    Fill(view);
}

void TGroupPanel::Fill(const TGroupView& v) {
    Name->setText(Qs(v.Name));
    for (int i = 0; i < kAlSettingCount; ++i)
        Settings[static_cast<std::size_t>(i)]->setChecked(v.Settings[static_cast<std::size_t>(i)]);
    FillList(Priority, GroupPriorityChoices(v.Priority), v.Priority);
    FillList(Loudspeaker, GroupLoudspeakerChoices(Ctx.S(), v.Loudspeaker), v.Loudspeaker);
    DirectCall->setText(Qs(v.DirectCall));
    for (std::size_t k = 0; k < kGroupListEntries; ++k) {
        FillList(CallLines[k], GroupCallChoices(Ctx.D(), v.GroupCall[k]), v.GroupCall[k]);
        FillList(Intercepts[k], InterceptChoices(Ctx.D(), v.Intercept[k]), v.Intercept[k]);
    }
    FillList(Day, GroupRoutingChoices(Ctx.S(), v.DayTable), v.DayTable);
    FillList(Night, GroupRoutingChoices(Ctx.S(), v.NightTable), v.NightTable);
    for (std::size_t r = 0; r < Trunks.size() && r < v.Trunks.size(); ++r)
        Trunks[r]->setChecked(v.Trunks[r].Forbidden);
}

TGroupView TGroupPanel::Read() const {
    TGroupView v;
    v.Name = Std(Name->text());
    for (int i = 0; i < kAlSettingCount; ++i)
        v.Settings[static_cast<std::size_t>(i)] =
            Settings[static_cast<std::size_t>(i)]->isChecked();
    v.Priority = ValueOf(Priority);
    v.Loudspeaker = ValueOf(Loudspeaker);
    v.DirectCall = Std(DirectCall->text());
    for (std::size_t k = 0; k < kGroupListEntries; ++k) {
        v.GroupCall[k] = ValueOf(CallLines[k]);
        v.Intercept[k] = ValueOf(Intercepts[k]);
    }
    v.DayTable = ValueOf(Day);
    v.NightTable = ValueOf(Night);
    for (const QCheckBox* box : Trunks) v.Trunks.push_back({box->text().toInt(), box->isChecked()});
    return v;
}

bool TGroupPanel::Commit() {
    if (!CommitGroup(Ctx.S(), Ctx.D(), Current, Read(), Ctx.Dlg())) return false;
    Fill(GroupView(Ctx.S(), Ctx.D(), Current));  // the lists as stored: empty places closed up
    return true;
}

bool TGroupPanel::Dirty() const {
    return Read() != GroupView(Ctx.S(), Ctx.D(), Current);
}

}  // namespace zarnik::app
