// What a screen reader and a keyboard user meet: every window reachable from the menus is
// opened through its menu entry, walked through the accessibility tree as an assistive
// technology walks it, and driven with Tab, Enter and Escape.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/about_form.h"
#include "app/groups_lines_form.h"
#include "app/main_form.h"
#include "app/startup_form.h"
#include "platform/text_1251.h"
#include "support/scripted_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace zarnik {
namespace {

using app::EStartChoice;
using app::TMainForm;

using TFaults = std::vector<std::string>;

std::string S(const QString& s) {
    return s.toStdString();
}

// --- what a screen reader hears ----------------------------------------------------------------

// A widget that is one stop of the keyboard and one node for a reader, though it is built of
// child widgets (a spin box's editor, a calendar's buttons, a grid's viewport and editors).
QWidget* CompoundOwner(QWidget* w, const QWidget* window) {
    QWidget* owner = nullptr;
    for (QWidget* p = w->parentWidget(); p != nullptr && p != window; p = p->parentWidget()) {
        if (qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p) ||
            qobject_cast<QCalendarWidget*>(p) || qobject_cast<QAbstractItemView*>(p) ||
            qobject_cast<QPlainTextEdit*>(p) || qobject_cast<QTextEdit*>(p))
            owner = p;
    }
    return owner;
}

QString PlainText(const QLabel* label) {
    const QString text = label->text();
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    QString plain = rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    plain.remove(QLatin1Char('&'));
    return plain.simplified();
}

std::string Describe(QAccessibleInterface* iface) {
    QObject* o = iface->object();
    std::string what = o != nullptr ? o->metaObject()->className() : "?";
    if (o != nullptr && !o->objectName().isEmpty()) what += " '" + S(o->objectName()) + "'";
    return what + " (role " + std::to_string(iface->role()) + ")";
}

bool NeedsName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::Dial:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::PageTabList:
        case QAccessible::PageTab:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::MenuItem:
            return true;
        default:
            return false;
    }
}

// Whether a reader can tell which row and column a grid cell stands in: a shown header with a
// caption, or a name the grid gives the cell itself.
bool CellHasContext(QAccessibleInterface* cell, QAbstractItemView* view) {
    QAccessibleTableCellInterface* c = cell->tableCellInterface();
    if (c == nullptr) return true;
    const auto* table = qobject_cast<QTableView*>(view);
    const QAbstractItemModel* model = view->model();
    const QModelIndex index = model->index(c->rowIndex(), c->columnIndex(), view->rootIndex());
    if (!model->data(index, Qt::AccessibleTextRole).toString().isEmpty() ||
        !model->data(index, Qt::AccessibleDescriptionRole).toString().isEmpty())
        return true;
    if (table == nullptr) return true;  // lists and trees: one column, the item is its own context
    const bool columnHeader =
        !table->horizontalHeader()->isHidden() &&
        !model->headerData(c->columnIndex(), Qt::Horizontal).toString().trimmed().isEmpty();
    const bool rowHeader =
        !table->verticalHeader()->isHidden() &&
        !model->headerData(c->rowIndex(), Qt::Vertical).toString().trimmed().isEmpty();
    // One column and named rows, or named columns: the reader has both coordinates when the
    // other is the only one or comes with the header.
    return (columnHeader && (rowHeader || model->columnCount() == 1 || model->rowCount() == 1)) ||
           (rowHeader && model->columnCount() == 1) ||
           (columnHeader && !table->verticalHeader()->isHidden());
}

constexpr int kCellRowsChecked = 30;

void Walk(QAccessibleInterface* iface, const std::string& where, TFaults& faults, int depth) {
    if (iface == nullptr || depth > 40) return;
    if (iface->state().invisible) return;
    QObject* o = iface->object();
    const QAccessible::Role role = iface->role();
    const QString name = iface->text(QAccessible::Name).trimmed();
    if (NeedsName(role) && name.isEmpty())
        faults.push_back(where + ": " + Describe(iface) + " has no accessible name");
    if (auto* label = qobject_cast<QLabel*>(o)) {
        const QString own = label->accessibleName().simplified();
        const QString text = PlainText(label);
        // Heard whole: no name of its own, a name that carries the text, or the text as the
        // description beside a caption.
        if (!own.isEmpty() && !text.isEmpty() && !own.contains(text) &&
            label->accessibleDescription().simplified() != text)
            faults.push_back(where + ": label '" + S(text.left(60)) + "' is announced as '" +
                             S(own) + "', which hides what it shows");
    }
    // A compound control is heard as one: its parts are the toolkit's business.
    if (role == QAccessible::SpinBox || role == QAccessible::ComboBox ||
        qobject_cast<QCalendarWidget*>(o) != nullptr || role == QAccessible::ScrollBar)
        return;
    if (auto* view = qobject_cast<QAbstractItemView*>(o)) {
        if (QAccessibleTableInterface* table = iface->tableInterface()) {
            const int rows = std::min(table->rowCount(), kCellRowsChecked);
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < table->columnCount(); ++c) {
                    QAccessibleInterface* cell = table->cellAt(r, c);
                    if (cell == nullptr || CellHasContext(cell, view)) continue;
                    faults.push_back(where + ": cell " + std::to_string(r) + "," +
                                     std::to_string(c) + " of " + Describe(iface) +
                                     " has no row or column a reader could name");
                    return;  // one per grid is enough to read
                }
            }
        }
        return;
    }
    for (int i = 0; i < iface->childCount(); ++i) Walk(iface->child(i), where, faults, depth + 1);
}

void AuditReader(QWidget& window, const std::string& where, TFaults& faults) {
    Walk(QAccessible::queryAccessibleInterface(&window), where, faults, 0);
}

// --- what a keyboard user meets ------------------------------------------------------------

bool TakesTabFocus(const QWidget* w, const QWidget* window) {
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
           w->focusProxy() == nullptr && w->window() == window &&
           CompoundOwner(const_cast<QWidget*>(w), window) == nullptr &&
           qobject_cast<const QScrollBar*>(w) == nullptr;
}

// The widget a Tab press stands on: a part of a compound control counts as the control.
QWidget* Stop(QWidget* w, const QWidget* window) {
    if (w == nullptr) return nullptr;
    QWidget* owner = CompoundOwner(w, window);
    return owner != nullptr ? owner : w;
}

// What Tab does where a control keeps Tab for itself (a grid steps through its cells): the next
// control in the focus chain.
QWidget* NextInChain(QWidget* from, const QWidget* window) {
    for (QWidget* w = from->nextInFocusChain(); w != nullptr && w != from;
         w = w->nextInFocusChain())
        if (TakesTabFocus(w, window) && !from->isAncestorOf(w)) return w;
    return nullptr;
}

QRect InWindow(const QWidget* w, const QWidget* window) {
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

std::string Label(const QWidget* w) {
    std::string s = w->metaObject()->className();
    if (!w->accessibleName().isEmpty()) s += " '" + S(w->accessibleName()) + "'";
    return s;
}

// Tab from the first control reaches every control, moving through the window as it is read:
// down a column, then to the next column; never back up and to the left except at the end.
void AuditTabChain(QWidget& window, const std::string& where, TFaults& faults) {
    std::vector<QWidget*> chain;
    QApplication::setActiveWindow(&window);
    QWidget* start = Stop(window.focusWidget(), &window);
    if (start == nullptr || start->window() != &window) {
        for (QWidget* w : window.findChildren<QWidget*>())
            if (TakesTabFocus(w, &window)) {
                start = w;
                break;
            }
        if (start == nullptr) return;  // nothing to type into or press
        start->setFocus(Qt::TabFocusReason);
    }
    QWidget* at = start;
    for (int step = 0; step < 400; ++step) {
        chain.push_back(at);
        QWidget* next = nullptr;
        if (qobject_cast<QAbstractItemView*>(at) == nullptr) {
            // A date or time field steps through its sections first, as the toolkit does.
            const auto* sections = qobject_cast<QDateTimeEdit*>(at);
            const int presses = sections != nullptr ? sections->sectionCount() : 1;
            for (int k = 0; k < presses; ++k) {
                QTest::keyClick(window.focusWidget() != nullptr ? window.focusWidget() : at,
                                Qt::Key_Tab);
                next = Stop(window.focusWidget(), &window);
                if (next != at) break;
            }
            if (next == at && at != start) {
                faults.push_back(where + ": Tab stays in " + Label(at));
                next = nullptr;
            }
        }
        if (next == nullptr) {
            next = NextInChain(at, &window);
            if (next == nullptr) break;
            next->setFocus(Qt::TabFocusReason);
        }
        if (!window.isVisible()) {
            faults.push_back(where + ": Tab on " + Label(at) + " closed the window");
            return;
        }
        if (next == start) break;
        at = next;
    }
    const std::set<QWidget*> reached(chain.begin(), chain.end());
    for (QWidget* w : window.findChildren<QWidget*>())
        if (TakesTabFocus(w, &window) && reached.count(w) == 0)
            faults.push_back(where + ": Tab never reaches " + Label(w));
    // Round the whole cycle, one step goes back to the top: from the last control to the first.
    std::vector<std::string> backwards;
    for (std::size_t i = 0; i < chain.size() && chain.size() > 1; ++i) {
        QWidget* from = chain[i];
        QWidget* to = chain[(i + 1) % chain.size()];
        const QRect a = InWindow(from, &window);
        const QRect b = InWindow(to, &window);
        if (b.bottom() < a.top() && b.left() < a.left() - 4)
            backwards.push_back(where + ": Tab goes back up from " + Label(from) + " to " +
                                Label(to));
    }
    if (backwards.size() > 1) faults.insert(faults.end(), backwards.begin(), backwards.end());
}

QPushButton* DefaultButton(QWidget& window) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisible() && b->window() == &window) return b;
    return nullptr;
}

// --- the windows of the menus ----------------------------------------------------------------

// Entries that open no window of their own: the four panels of the main window (audited with
// it), leaving, and the help page in the browser.
const std::set<QString> kNotWindows = {
    QStringLiteral("Загрузить из файла"),
    QStringLiteral("Записать в файл"),
    QStringLiteral("Считать из АТС"),
    QStringLiteral("Записать в АТС"),
    QStringLiteral("Выход"),
    QStringLiteral("Справка"),
};

struct TRig {
    TRig() : Sim({"--model", "Dogwood", "--version", "30,8", "--serial", "6105"}) {
        setenv("ZARNIK_SERIAL_DIR", Sim.Dir().c_str(), 1);
    }
    ~TRig() {
        Form.reset();
        unsetenv("ZARNIK_SERIAL_DIR");
    }
    TMainForm& Open(std::optional<EStartChoice> choice, const std::string& file = "") {
        app::TMainFormOptions o;
        o.BaseDir = Dir.Path;
        o.PortOverride = "COM3";
        o.StartChoice = choice;
        o.OpenFile = file;
        o.Dialogs = &Dialogs;
        Form = std::make_unique<TMainForm>(o);
        Form->show();
        Form->Start();
        return *Form;
    }
    test::TSimProcess Sim;
    test::TTempDir Dir;
    test::TScriptedDialogs Dialogs{false};
    std::unique_ptr<TMainForm> Form;
};

// Runs `audit` on every modal window that comes up while `open` runs, then closes it with
// Escape (a window Escape does not close is a fault, and is closed by force).
void WhileOpen(const std::function<void()>& open, const std::function<void(QWidget&)>& audit,
               const std::string& where, TFaults& faults, int* windowsSeen) {
    std::set<QWidget*> handled;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (m == nullptr || handled.count(m) != 0) return;
        handled.insert(m);
        ++*windowsSeen;
        // The toolkit's own dialogs are not ours to audit.
        if (qobject_cast<QFileDialog*>(m) == nullptr && qobject_cast<QMessageBox*>(m) == nullptr)
            audit(*m);
        QPointer<QWidget> window(m);
        if (window && window->isVisible()) {
            QApplication::setActiveWindow(m);
            QTest::keyClick(m->focusWidget() != nullptr ? m->focusWidget() : m, Qt::Key_Escape);
        }
        if (window && window->isVisible()) {
            faults.push_back(where + ": Escape does not close '" + S(window->windowTitle()) + "'");
            if (auto* d = qobject_cast<QDialog*>(window.data()))
                d->done(QDialog::Rejected);
            else
                window->close();
        }
    });
    poll.start();
    open();
    poll.stop();
}

void AuditWindow(QWidget& w, const std::string& where, TFaults& faults) {
    QApplication::processEvents();
    EXPECT_LE(w.frameGeometry().width(), 1366) << where;
    EXPECT_LE(w.frameGeometry().height(), 768) << where;
    AuditReader(w, where, faults);
    AuditTabChain(w, where, faults);
}

std::string Joined(const TFaults& faults) {
    std::string out;
    for (const std::string& f : faults) out += "  " + f + "\n";
    return out;
}

TEST(Accessibility, EveryWindowOfTheMenusIsHeardAndWorksFromTheKeyboard) {
    TRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    ASSERT_TRUE(w.Context().S().DataPresent);
    // A file for "Сравнить с файлом...".
    const std::string file = rig.Dir.Path + "/dat/same.ats";
    rig.Dialogs.ExpectSave(file);
    w.Run(ECommand::SaveFile);
    w.SavePanel()->ActionButton()->click();
    ASSERT_TRUE(std::filesystem::exists(file));

    TFaults faults;
    int opened = 0;
    int windows = 0;
    for (QAction* menu : w.menuBar()->actions()) {
        if (menu->menu() == nullptr) continue;
        Q_EMIT menu->menu()->aboutToShow();  // the enabling a user sees when the menu opens
        for (QAction* a : menu->menu()->actions()) {
            if (a->isSeparator() || a->menu() != nullptr || kNotWindows.count(a->text()) != 0)
                continue;
            const std::string where = S(a->text());
            EXPECT_TRUE(a->isEnabled()) << where;
            if (!a->isEnabled()) continue;
            ++opened;
            if (a->text().startsWith(QStringLiteral("Сравнить"))) rig.Dialogs.ExpectOpen(file);
            int seen = 0;
            WhileOpen([a] { a->trigger(); },
                      [&](QWidget& m) {
                          const std::string title = where + " / " + S(m.windowTitle());
                          AuditWindow(m, title, faults);
                          // The line-and-group window shows one panel per kind of item.
                          if (auto* g = qobject_cast<app::TGroupsLinesForm*>(&m)) {
                              std::set<int> kinds{static_cast<int>(g->Items().front().Kind)};
                              for (int row = 0; row < static_cast<int>(g->Items().size()); ++row) {
                                  const int kind = static_cast<int>(g->Items()[row].Kind);
                                  if (!kinds.insert(kind).second) continue;
                                  g->ItemList()->setCurrentRow(row);
                                  AuditWindow(m, title + " / " + g->Items()[row].Text, faults);
                              }
                          }
                      },
                      where, faults, &seen);
            EXPECT_GE(seen, 1) << where << " opened no window";
            windows += seen;
        }
    }
    EXPECT_GE(opened, 20);
    EXPECT_GE(windows, opened);
    EXPECT_TRUE(faults.empty()) << faults.size() << " faults:\n" << Joined(faults);
}

TEST(Accessibility, DefaultButtonsTakeEnter) {
    // Where a window has a default button, Enter in any of its fields presses it.
    TRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    TFaults faults;
    for (QAction* menu : w.menuBar()->actions()) {
        if (menu->menu() == nullptr) continue;
        Q_EMIT menu->menu()->aboutToShow();
        for (QAction* a : menu->menu()->actions()) {
            if (a->isSeparator() || a->menu() != nullptr || kNotWindows.count(a->text()) != 0 ||
                a->text().startsWith(QStringLiteral("Сравнить")) || !a->isEnabled())
                continue;
            int seen = 0;
            const std::string where = S(a->text());
            WhileOpen(
                [a] { a->trigger(); },
                [&](QWidget& m) {
                    QPushButton* def = DefaultButton(m);
                    if (def == nullptr || !def->isEnabled()) return;
                    QApplication::setActiveWindow(&m);
                    QWidget* field = m.focusWidget();
                    // A grid and a text box use Enter themselves; a button in focus
                    // presses itself.
                    if (field == nullptr || field->window() != &m ||
                        qobject_cast<QAbstractButton*>(field) ||
                        qobject_cast<QAbstractItemView*>(Stop(field, &m)) ||
                        qobject_cast<QPlainTextEdit*>(Stop(field, &m)) ||
                        qobject_cast<QTextEdit*>(Stop(field, &m)))
                        field = &m;
                    bool pressed = false;
                    const auto c = QObject::connect(def, &QPushButton::clicked,
                                                    [&pressed] { pressed = true; });
                    QTest::keyClick(field, Qt::Key_Return);
                    QObject::disconnect(c);
                    if (!pressed)
                        faults.push_back(where + ": Enter does not press '" + S(def->text()) + "'");
                },
                where, faults, &seen);
        }
    }
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// The reader's view of the main window: every accessible name under it.
std::vector<std::string> HeardNames(QWidget& window) {
    std::vector<std::string> names;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* i) {
        if (i == nullptr || i->state().invisible) return;
        names.push_back(S(i->text(QAccessible::Name)));
        for (int k = 0; k < i->childCount(); ++k) walk(i->child(k));
    };
    walk(QAccessible::queryAccessibleInterface(&window));
    return names;
}

bool Heard(const std::vector<std::string>& names, const std::string& text) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return n.find(text) != std::string::npos; });
}

TEST(Accessibility, TheMainWindowAnnouncesTheStationItHolds) {
    TRig rig;
    TMainForm& w = rig.Open(EStartChoice::Station);
    ASSERT_TRUE(w.Context().S().DataPresent);
    QApplication::processEvents();
    const std::vector<std::string> names = HeardNames(w);
    EXPECT_TRUE(Heard(names, "Заводской номер : 6105")) << "the serial number is not heard";
    EXPECT_TRUE(Heard(names, "Название АТС : " + Cp1251ToUtf8(w.Context().D().StationName)));
    for (int i = 0; i < 4; ++i) {
        const std::string line = S(w.StatusLine(i)->text());
        EXPECT_TRUE(Heard(names, line)) << line;
    }
    EXPECT_TRUE(Heard(names, "30,8"));
    EXPECT_TRUE(Heard(names, "Порт: COM3"));
    // The summary is heard whole, not as a caption.
    auto* summary = w.findChild<QLabel*>(QStringLiteral("Сводка"));
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(Heard(names, S(summary->text().section(QLatin1Char('\n'), 0, 0))));
    EXPECT_FALSE(Heard(names, "Сводка"));

    // The main window itself and its four panels.
    TFaults faults;
    AuditReader(w, "main window", faults);
    for (const ECommand c : {ECommand::ReadStation, ECommand::WriteStation, ECommand::SaveFile}) {
        w.Run(c);
        ASSERT_NE(w.ShownPanel(), nullptr);
        AuditReader(w, S(w.Action(c)->text()), faults);
        AuditTabChain(w, S(w.Action(c)->text()), faults);
        // A status shown on the panel is heard as it reads.
        w.ShownPanel()->SetStatus(QStringLiteral("Файл не записан."));
        EXPECT_TRUE(Heard(HeardNames(w), "Файл не записан."));
        // Escape leaves the panel.
        w.ShownPanel()->Box(3)->setFocus();
        QTest::keyClick(w.ShownPanel()->Box(3), Qt::Key_Escape);
        EXPECT_EQ(w.ShownPanel(), nullptr) << S(w.Action(c)->text());
        if (w.ShownPanel() != nullptr) w.ShownPanel()->LeaveButton()->click();
    }
    // Enter in a panel presses its action: on the save panel, the file dialog comes up.
    w.Run(ECommand::SaveFile);
    rig.Dialogs.ExpectSave(std::nullopt);
    w.SavePanel()->Box(2)->setFocus();
    QTest::keyClick(w.SavePanel()->Box(2), Qt::Key_Return);
    EXPECT_TRUE(rig.Dialogs.AllSeen()) << "Enter did not press \"Записать в файл\"";
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(Accessibility, StartUpWindowsAreHeardAndKeyboardUsable) {
    TFaults faults;
    app::TStartupChoiceForm choice;
    choice.show();
    QApplication::processEvents();
    AuditReader(choice, "start-up choice", faults);
    AuditTabChain(choice, "start-up choice", faults);
    // Enter takes the button in focus; Escape counts as reading the station.
    choice.FilesButton()->setFocus();
    QTest::keyClick(choice.FilesButton(), Qt::Key_Return);
    EXPECT_EQ(choice.Choice(), EStartChoice::Files);
    EXPECT_FALSE(choice.isVisible());

    app::TAboutForm about(std::string("/home/tech/.local/share/zarnik"));
    about.show();
    QApplication::processEvents();
    AuditReader(about, "about", faults);
    // The folder line is heard with its path.
    EXPECT_TRUE(Heard(HeardNames(about), "/home/tech/.local/share/zarnik"));
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// --- a file given on the command line ---------------------------------------------------------

TEST(OpenAtStart, AFileGivenIsLoadedWithoutTheStartQuestion) {
    TRig rig;
    std::string file;
    {
        TMainForm& w = rig.Open(EStartChoice::Station);
        file = rig.Dir.Path + "/dat/office.ats";
        rig.Dialogs.ExpectSave(file);
        w.Run(ECommand::SaveFile);
        w.SavePanel()->ActionButton()->click();
        ASSERT_TRUE(std::filesystem::exists(file));
        rig.Form.reset();
    }
    // A start-up question would wait for an answer: fail instead of hanging.
    QTimer guard;
    bool asked = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* m = qobject_cast<app::TStartupChoiceForm*>(QApplication::activeModalWidget())) {
            asked = true;
            m->reject();
        }
    });
    guard.start(10);
    const std::size_t before = rig.Dialogs.Seen.size();
    TMainForm& w = rig.Open(std::nullopt, file);
    guard.stop();
    EXPECT_FALSE(asked);
    EXPECT_EQ(rig.Dialogs.Seen.size(), before) << rig.Dialogs.Seen.back().Text;
    EXPECT_TRUE(w.Context().S().DataPresent);
    EXPECT_FALSE(w.Context().S().Identified);  // nothing was read from the station
    EXPECT_EQ(w.StatusLine(2)->text().toStdString(), "Заводской номер : 6105");
    EXPECT_EQ(w.StatusLine(0)->text().toStdString(), "Название АТС : Dogwood");
    EXPECT_FALSE(w.HasUnsavedEdits());
    w.UpdateCommands();
    EXPECT_TRUE(w.Action(ECommand::SystemSettings)->isEnabled());
}

TEST(OpenAtStart, AFileThatCannotBeLoadedIsReportedAndTheProgramStartsEmpty) {
    TRig rig;
    const std::string foreign = rig.Dir.Path + "/notes.ats";
    std::ofstream(foreign) << "not a configuration";
    struct TCase {
        std::string File;
        std::string Message;
    };
    for (const TCase& c : {TCase{rig.Dir.Path + "/missing.ats", "Не смогли открыть файл."},
                           TCase{foreign, "Файл конфигурации не прочитан: "}}) {
        const std::size_t before = rig.Dialogs.Seen.size();
        TMainForm& w = rig.Open(std::nullopt, c.File);
        ASSERT_EQ(rig.Dialogs.Seen.size(), before + 1) << c.File;
        EXPECT_EQ(rig.Dialogs.Seen.back().Text.rfind(c.Message, 0), 0U)
            << rig.Dialogs.Seen.back().Text;
        EXPECT_FALSE(w.Context().S().DataPresent);
        EXPECT_EQ(w.StatusLine(2)->text().toStdString(), "Заводской номер : ");
        w.UpdateCommands();
        EXPECT_FALSE(w.Action(ECommand::SystemSettings)->isEnabled());
        EXPECT_TRUE(w.Action(ECommand::LoadFile)->isEnabled());
        EXPECT_TRUE(w.isVisible());
        rig.Form.reset();
    }
}

}  // namespace
}  // namespace zarnik
