#include "app/archive_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/diff_form.h"
#include "app/form_helpers.h"

namespace zarnik::app {

namespace {

constexpr int kEventRole = Qt::UserRole;

bool IsFile(const TArchiveEvent& ev) {
    return ev.Kind == EArchiveKind::Backup || ev.Kind == EArchiveKind::File;
}

QTreeWidget* Tree(const QString& name, const QStringList& headers, QWidget* parent) {
    auto* tree = Named(new QTreeWidget(parent), name);
    tree->setColumnCount(static_cast<int>(headers.size()));
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    return tree;
}

// A caption above a list, the list its buddy: Alt and the underlined letter reach it.
QLabel* Caption(const QString& text, QWidget* list, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(list);
    return label;
}

}  // namespace

TArchiveForm::TArchiveForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Data(ctx.Session != nullptr ? ctx.S().BaseDir : ctx.StartDir) {
    setWindowTitle(QStringLiteral("Архив станций"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    auto* filterRow = new QHBoxLayout;
    Filter = new QLineEdit(this);
    Filter->setPlaceholderText(QStringLiteral("заводской номер или название"));
    Filter->setClearButtonEnabled(true);
    filterRow->addWidget(BuddyLabel(QStringLiteral("Поиск:"), Filter, this));
    filterRow->addWidget(Filter, 1);
    layout->addLayout(filterRow);

    auto* split = new QSplitter(Qt::Horizontal, this);
    auto* left = new QWidget(split);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    StationsView = Tree(QStringLiteral("Станции"),
                        {QStringLiteral("Зав. номер"), QStringLiteral("Название"),
                         QStringLiteral("Модель"), QStringLiteral("Версия"),
                         QStringLiteral("Последняя связь")},
                        left);
    StationsView->setSortingEnabled(false);
    leftLayout->addWidget(Caption(QStringLiteral("Станции"), StationsView, left));
    leftLayout->addWidget(StationsView, 3);
    DamagedView = Tree(QStringLiteral("Повреждённые файлы"),
                       {QStringLiteral("Файл"), QStringLiteral("Причина")}, left);
    DamagedCaption = Caption(QStringLiteral("Повреждённые файлы"), DamagedView, left);
    leftLayout->addWidget(DamagedCaption);
    leftLayout->addWidget(DamagedView, 1);

    auto* right = new QWidget(split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    Title = new QLabel(right);  // shows a value: its text is what a screen reader says
    Title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rightLayout->addWidget(Title);
    EventsView = Tree(QStringLiteral("Хронология"),
                      {QStringLiteral("Время"), QStringLiteral("Событие"),
                       QStringLiteral("Таблицы"), QStringLiteral("Итог")},
                      right);
    EventsView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rightLayout->addWidget(Caption(QStringLiteral("Хронология"), EventsView, right));
    rightLayout->addWidget(EventsView, 1);
    Details = new QLabel(right);
    Details->setWordWrap(true);
    Details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    rightLayout->addWidget(Details);
    Warnings = new QLabel(right);
    Warnings->setWordWrap(true);
    rightLayout->addWidget(Warnings);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    // The timeline's results are the longer texts: it takes the larger part from the start.
    split->setSizes({440, 800});
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    Open = CaptionedButton<QPushButton>(QStringLiteral("Открыть"), this);
    CompareHand = CaptionedButton<QPushButton>(QStringLiteral("Сравнить с текущей"), this);
    Compare = CaptionedButton<QPushButton>(QStringLiteral("Сравнить"), this);
    Restore = CaptionedButton<QPushButton>(QStringLiteral("Восстановить в АТС..."), this);
    Reload = CaptionedButton<QPushButton>(QStringLiteral("Обновить"), this);
    Close = CaptionedButton<QPushButton>(QStringLiteral("Закрыть"), this);
    for (QPushButton* b : {Open, CompareHand, Compare, Restore, Reload}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(4);
    // No button takes Enter: in the search field it goes on to the stations, in the timeline
    // it opens the file.
    Close->setAutoDefault(false);
    buttons->addWidget(Close);
    layout->addLayout(buttons);

    connect(Filter, &QLineEdit::textChanged, this, &TArchiveForm::ApplyFilter);
    connect(Filter, &QLineEdit::returnPressed, StationsView, [this] { StationsView->setFocus(); });
    connect(StationsView, &QTreeWidget::currentItemChanged, this, &TArchiveForm::ShowStation);
    connect(EventsView, &QTreeWidget::itemSelectionChanged, this, &TArchiveForm::UpdateButtons);
    // The details follow the row the keyboard is on, chosen or not.
    connect(EventsView, &QTreeWidget::currentItemChanged, this, &TArchiveForm::UpdateButtons);
    connect(EventsView, &QTreeWidget::itemActivated, this, [this] {
        if (Open->isEnabled()) OnOpen();
    });
    connect(Open, &QPushButton::clicked, this, &TArchiveForm::OnOpen);
    connect(CompareHand, &QPushButton::clicked, this, &TArchiveForm::OnCompareHand);
    connect(Compare, &QPushButton::clicked, this, &TArchiveForm::OnCompare);
    connect(Restore, &QPushButton::clicked, this, &TArchiveForm::OnRestore);
    connect(Reload, &QPushButton::clicked, this, &TArchiveForm::Refresh);
    connect(Close, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(Filter, StationsView);
    setTabOrder(StationsView, EventsView);
    setTabOrder(EventsView, Open);
    setTabOrder(Open, CompareHand);
    setTabOrder(CompareHand, Compare);
    setTabOrder(Compare, Restore);
    setTabOrder(Restore, Reload);
    setTabOrder(Reload, Close);
    setTabOrder(Close, DamagedView);

    resize(1240, 680);
    Refresh();
    Filter->setFocus();
}

void TArchiveForm::Refresh() {
    const std::string serial = CurrentStation() != nullptr ? CurrentStation()->Serial : "";
    Data.Scan();
    FillStations();
    if (serial.empty() || !ChooseStation(serial)) ApplyFilter();
}

void TArchiveForm::FillStations() {
    const QSignalBlocker block(StationsView);
    StationsView->clear();
    for (const TArchiveStation& s : Data.Stations()) {
        auto* item = new QTreeWidgetItem(
            QStringList{Qs(s.Serial), Qs(s.Name), Qs(s.Model), Qs(s.Version),
                        s.LastContact == 0 ? QStringLiteral("—") : Qs(LocalTimeText(s.LastContact))});
        StationsView->addTopLevelItem(item);
    }
    for (int c = 0; c < StationsView->columnCount(); ++c) StationsView->resizeColumnToContents(c);
    DamagedView->clear();
    for (const TDamagedFile& d : Data.Damaged())
        DamagedView->addTopLevelItem(new QTreeWidgetItem(QStringList{Qs(d.Path), Qs(d.Why)}));
    DamagedView->resizeColumnToContents(0);
}

void TArchiveForm::ApplyFilter() {
    const std::string text = Std(Filter->text().trimmed());
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < StationsView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = StationsView->topLevelItem(i);
        const bool shown = StationMatches(Data.Stations()[static_cast<std::size_t>(i)], text);
        item->setHidden(!shown);
        if (shown && firstShown == nullptr) firstShown = item;
    }
    QTreeWidgetItem* current = StationsView->currentItem();
    if (current == nullptr || current->isHidden()) StationsView->setCurrentItem(firstShown);
    if (StationsView->currentItem() == nullptr) ShowStation();
}

const TArchiveStation* TArchiveForm::CurrentStation() const {
    QTreeWidgetItem* item = StationsView->currentItem();
    if (item == nullptr || item->isHidden()) return nullptr;
    const int row = StationsView->indexOfTopLevelItem(item);
    return row < 0 ? nullptr : &Data.Stations()[static_cast<std::size_t>(row)];
}

bool TArchiveForm::ChooseStation(const std::string& serial) {
    for (int i = 0; i < StationsView->topLevelItemCount(); ++i) {
        if (Data.Stations()[static_cast<std::size_t>(i)].Serial != serial) continue;
        StationsView->topLevelItem(i)->setHidden(false);
        StationsView->setCurrentItem(StationsView->topLevelItem(i));
        return true;
    }
    return false;
}

void TArchiveForm::ShowStation() {
    EventsView->clear();
    Events.clear();
    const TArchiveStation* s = CurrentStation();
    if (s == nullptr) {
        Title->setText(Data.Stations().empty() ? QStringLiteral("В архиве нет ни одной АТС.")
                                               : QStringLiteral("АТС не выбрана."));
        Warnings->clear();
        UpdateButtons();
        return;
    }
    Title->setText(Qs("АТС " + s->Serial + (s->Name.empty() ? "" : ", " + s->Name) + ", " +
                      s->Model + ", версия " + s->Version));
    std::vector<std::string> warnings;
    Events = Data.Timeline(s->Serial, &warnings);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(Events.size()));
    for (std::size_t i = 0; i < Events.size(); ++i) {
        const TArchiveEvent& ev = Events[i];
        auto* item = new QTreeWidgetItem(
            QStringList{Qs(ev.Time), Qs(ArchiveKindText(ev.Kind)), Qs(ev.Tables), Qs(ev.Result)});
        item->setData(0, kEventRole, static_cast<qulonglong>(i));
        item->setToolTip(3, Qs(ev.Result));
        rows.append(item);
    }
    EventsView->addTopLevelItems(rows);
    // Room past the widest text, so that no column is cut at its last letter.
    for (int c = 0; c < 3; ++c) {
        EventsView->resizeColumnToContents(c);
        EventsView->setColumnWidth(c, EventsView->columnWidth(c) + 12);
    }
    std::string text;
    for (const std::string& w : warnings) text += (text.empty() ? "" : "\n") + w;
    Warnings->setText(Qs(text));
    if (!rows.isEmpty()) EventsView->setCurrentItem(rows.front());
    UpdateButtons();
}

std::vector<const TArchiveEvent*> TArchiveForm::ChosenFiles() const {
    std::vector<const TArchiveEvent*> files;
    for (QTreeWidgetItem* item : EventsView->selectedItems()) {
        const auto i = item->data(0, kEventRole).toULongLong();
        if (i < Events.size() && IsFile(Events[i])) files.push_back(&Events[i]);
    }
    std::sort(files.begin(), files.end(),
              [](const TArchiveEvent* a, const TArchiveEvent* b) { return a->Unix < b->Unix; });
    return files;
}

void TArchiveForm::UpdateButtons() {
    const std::vector<const TArchiveEvent*> files = ChosenFiles();
    const int chosen = static_cast<int>(EventsView->selectedItems().size());
    const bool oneFile = chosen == 1 && files.size() == 1;
    Open->setEnabled(oneFile);
    Restore->setEnabled(oneFile);
    CompareHand->setEnabled(oneFile && Ctx.Session != nullptr && Ctx.S().DataPresent);
    Compare->setEnabled(chosen == 2 && files.size() == 2);
    QTreeWidgetItem* current = EventsView->currentItem();
    const auto i = current != nullptr ? current->data(0, kEventRole).toULongLong() : Events.size();
    Details->setText(i < Events.size() ? Qs(Events[i].Details) : QString());
}

void TArchiveForm::OnOpen() {
    const auto files = ChosenFiles();
    if (files.size() != 1) return;
    Chosen = TArchiveRequest{TArchiveRequest::EAction::Open, files.front()->Path,
                             CurrentStation() != nullptr ? CurrentStation()->Serial : ""};
    accept();
}

void TArchiveForm::OnCompareHand() {
    const auto files = ChosenFiles();
    if (files.size() == 1) CompareHandWithFile(Ctx, files.front()->Path, this);
}

void TArchiveForm::OnCompare() {
    const auto files = ChosenFiles();
    if (files.size() == 2) CompareTwoFiles(Ctx, files[0]->Path, files[1]->Path, this);
}

void TArchiveForm::OnRestore() {
    const auto files = ChosenFiles();
    const TArchiveStation* station = CurrentStation();
    if (files.size() != 1 || station == nullptr) return;
    if (Ctx.Dlg().Question(RestoreQuestion(*station, *files.front()), "Предупреждение") != TAnswer::Ok)
        return;
    Chosen = TArchiveRequest{TArchiveRequest::EAction::Restore, files.front()->Path, station->Serial};
    accept();
}

}  // namespace zarnik::app
