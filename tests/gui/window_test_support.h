#pragma once
// What the tests of the smaller windows share: a context on an offline or a live session, and
// the checks every window has to pass (keyboard, accessible names, screen size).

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <memory>

#include "app/app_context.h"
#include "app/station_worker.h"
#include "support/loaded_station.h"

namespace zarnik::test {

inline app::TAppContext ContextOf(TMainClass& session, const TDataStreamPtr& store,
                                  TUserDialogs& dialogs, app::TStationWorker* worker,
                                  const std::string& startDir) {
    app::TAppContext ctx;
    ctx.Session = &session;
    ctx.Store = store;
    ctx.Dialogs = &dialogs;
    ctx.Worker = worker;
    ctx.StartDir = startDir;
    return ctx;
}

// A whole built-in station of the model read into an offline session of its own (the tests
// change it), with strict dialogs.
struct TLoadedWindowStation {
    explicit TLoadedWindowStation(const std::string& model) : Station(model) {}
    app::TAppContext Ctx() {
        return ContextOf(Station.Session, Station.Store, Dialogs, &Worker, Station.Dir.Path);
    }
    TLoadedStation Station;
    TScriptedDialogs Dialogs;
    app::TStationWorker Worker;
};

// Whether w is a part of a compound control (a calendar's navigation, a spin box's or a
// combo box's editor, a grid's scroll bars) rather than a control of the window itself.
inline bool PartOfCompound(const QWidget* w, const QWidget* window) {
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != window; p = p->parentWidget()) {
        if (qobject_cast<const QCalendarWidget*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractScrollArea*>(p))
            return true;
    }
    return false;
}

// Every control the user works with can be reached with Tab and is named for a screen
// reader; a button, check box or group is named by its caption; a labelled field by its
// label. The window fits a 1366 x 768 screen with room for a panel.
inline void ExpectUsableByKeyboardAndReader(QDialog& window) {
    window.show();
    QApplication::processEvents();
    const std::string title = window.windowTitle().toStdString();
    EXPECT_LE(window.frameGeometry().width(), 1366) << title;
    EXPECT_LE(window.frameGeometry().height(), 728) << title;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || PartOfCompound(w, &window)) continue;
        const std::string what = title + ": " + w->metaObject()->className() + " '" +
                                 w->accessibleName().toStdString() + "'";
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            EXPECT_EQ(g->accessibleName(), g->title()) << what;
        }
        if (auto* l = qobject_cast<QLabel*>(w); l != nullptr && l->buddy() != nullptr) {
            EXPECT_EQ(l->buddy()->accessibleName(), l->text()) << what;
        }
        auto* b = qobject_cast<QAbstractButton*>(w);
        if (b != nullptr) {
            EXPECT_EQ(b->accessibleName(), b->text()) << what;
        }
        const bool control = b != nullptr || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QAbstractScrollArea*>(w) ||
                             qobject_cast<QCalendarWidget*>(w);
        if (!control) continue;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << what;
        EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus) << what;
    }
    window.hide();
}

// A picture of the window for the documentation, as PNG file `name` in `dir`.
inline void Grab(QDialog& window, const QString& dir, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(dir).filePath(name);
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
    window.hide();
}

}  // namespace zarnik::test
