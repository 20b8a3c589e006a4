#include "app/conference_form.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/form_helpers.h"

namespace zarnik::app {

namespace {

// A pop-up command of a list, also reached from the keyboard by its shortcut (and, as every
// pop-up, by the menu key).
QAction* PopupCommand(QListWidget* list, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, list);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(action);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

QListWidget* NamedList(const QString& caption, QWidget* parent, QLabel*& label) {
    auto* list = new QListWidget(parent);
    label = BuddyLabel(caption, list, parent);
    list->setMinimumWidth(
        list->fontMetrics().horizontalAdvance(QStringLiteral("000 (Xxxxxxxxxxxxxxxxxx)")) + 30);
    list->setMinimumHeight(list->fontMetrics().height() * 18);
    return list;
}

}  // namespace

TConferenceForm::TConferenceForm(const TAppContext& ctx, QWidget* parent)
    : QDialog(parent), Ctx(ctx), Draft(DraftConferences(ctx.S(), ctx.D())) {
    setWindowTitle(QStringLiteral("Программирование конференций"));

    QLabel* conferencesLabel = nullptr;
    QLabel* membersLabel = nullptr;
    QLabel* linesLabel = nullptr;
    Conferences = NamedList(QStringLiteral("Конференции"), this, conferencesLabel);
    Members = NamedList(QStringLiteral("АЛ "), this, membersLabel);
    Lines = NamedList(QStringLiteral("Все АЛ"), this, linesLabel);
    NameIt = PopupCommand(Conferences, QStringLiteral("Задать имя для выбранной конференции"),
                          QKeySequence(Qt::Key_F2));
    Remove = PopupCommand(Members, QStringLiteral("Удалить АЛ из конференции"),
                          QKeySequence(Qt::Key_Delete));
    Add = PopupCommand(Lines, QStringLiteral("Добавить АЛ в выбранную конференцию"),
                       QKeySequence(Qt::Key_Insert));
    for (QListWidget* list : {Conferences, Members, Lines})
        list->setAccessibleDescription(list->actions().front()->text() + QStringLiteral(": ") +
                                       list->actions().front()->shortcut().toString());

    NameBox = NamedGroup(QStringLiteral("Задать имя для выбранной конференции"), this);
    NameEdit = new QLineEdit(NameBox);
    auto* nameLabel = BuddyLabel(QStringLiteral("Имя конференции:"), NameEdit, NameBox);
    NameOk = CaptionedButton<QPushButton>(QStringLiteral("OK"), NameBox);
    NameCancel = CaptionedButton<QPushButton>(QStringLiteral("Отменить"), NameBox);
    NameOk->setAutoDefault(false);
    NameCancel->setAutoDefault(false);
    auto* nameLayout = new QHBoxLayout(NameBox);
    nameLayout->addWidget(nameLabel);
    nameLayout->addWidget(NameEdit, 1);
    nameLayout->addWidget(NameOk);
    nameLayout->addWidget(NameCancel);
    NameBox->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(conferencesLabel, 0, 0);
    layout->addWidget(membersLabel, 0, 1);
    layout->addWidget(linesLabel, 0, 2);
    layout->addWidget(Conferences, 1, 0);
    layout->addWidget(Members, 1, 1);
    layout->addWidget(Lines, 1, 2);
    layout->addWidget(NameBox, 2, 0, 1, 3);
    setTabOrder(Conferences, Members);
    setTabOrder(Members, Lines);
    setTabOrder(Lines, NameEdit);
    setTabOrder(NameEdit, NameOk);
    setTabOrder(NameOk, NameCancel);

    connect(Conferences, &QListWidget::currentRowChanged, this, &TConferenceForm::ShowConference);
    connect(Add, &QAction::triggered, this, &TConferenceForm::AddChosenLine);
    connect(Remove, &QAction::triggered, this, &TConferenceForm::RemoveChosenLine);
    connect(NameIt, &QAction::triggered, this, &TConferenceForm::OpenNameField);
    connect(NameOk, &QPushButton::clicked, this, &TConferenceForm::TakeName);
    connect(NameEdit, &QLineEdit::returnPressed, this, &TConferenceForm::TakeName);
    connect(NameCancel, &QPushButton::clicked, this, &TConferenceForm::CloseNameField);

    RefreshConferences();
    if (Conferences->count() > 0) Conferences->setCurrentRow(0);
}

void TConferenceForm::RefreshConferences() {
    const QSignalBlocker quiet(Conferences);
    const int current = Conferences->currentRow();
    Conferences->clear();
    for (const std::string& line : ConferenceListLines(Ctx.S(), Ctx.D()))
        Conferences->addItem(Qs(line));
    if (current >= 0) Conferences->setCurrentRow(current);
}

void TConferenceForm::ShowConference(int conference) {
    Shown = conference;
    Members->clear();
    Lines->clear();
    MemberEntries.clear();
    LineEntries.clear();
    if (conference < 0 || static_cast<std::size_t>(conference) >= Draft.Members.size()) return;
    const std::vector<int>& members = Draft.Members[static_cast<std::size_t>(conference)];
    MemberEntries = ConferenceMembers(Ctx.S(), Ctx.D(), members);
    LineEntries = ConferenceCandidates(Ctx.S(), Ctx.D(), members);
    for (const TPortChoice& m : MemberEntries) Members->addItem(Qs(m.Text));
    for (const TPortChoice& l : LineEntries) Lines->addItem(Qs(l.Text));
}

void TConferenceForm::AddChosenLine() {
    const int row = Lines->currentRow();
    if (Shown < 0 || row < 0 || row >= static_cast<int>(LineEntries.size())) return;
    if (!AddConferenceMember(Ctx.S(), Draft, Shown, LineEntries[static_cast<std::size_t>(row)].Port,
                             Ctx.Dlg()))
        return;
    ShowConference(Shown);
    Lines->setCurrentRow(std::min(row, Lines->count() - 1));
}

void TConferenceForm::RemoveChosenLine() {
    const int row = Members->currentRow();
    if (Shown < 0 || row < 0 || row >= static_cast<int>(MemberEntries.size())) return;
    RemoveConferenceMember(Draft, Shown, MemberEntries[static_cast<std::size_t>(row)].Port);
    ShowConference(Shown);
    Members->setCurrentRow(std::min(row, Members->count() - 1));
}

void TConferenceForm::OpenNameField() {
    if (Shown < 0) return;
    NameEdit->setText(Qs(ConferenceName(Ctx.D(), Shown)));
    NameBox->show();
    NameEdit->selectAll();
    NameEdit->setFocus();
}

void TConferenceForm::TakeName() {
    if (Shown < 0 || !StoreConferenceName(Ctx.D(), Shown, Std(NameEdit->text()), Ctx.Dlg())) return;
    RefreshConferences();
    CloseNameField();
}

void TConferenceForm::CloseNameField() {
    NameBox->hide();
    Conferences->setFocus();
}

void TConferenceForm::done(int result) {
    // Escape in the name field drops the name, not the window.
    if (NameBox->isVisible() && result == QDialog::Rejected) {
        CloseNameField();
        return;
    }
    CommitConferences(Ctx.S(), Ctx.D(), Draft);
    QDialog::done(result);
}

}  // namespace zarnik::app
