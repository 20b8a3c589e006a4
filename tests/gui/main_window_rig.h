#pragma once
// The main window on a simulated station reached as "COM3", with scripted dialogs, for the
// tests that drive the whole program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/system_settings_form.h"
#include "support/scripted_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace zarnik::test {

// The scripted dialogs, also answering the save-discard-cancel question from a script.
class TGuiDialogs : public TScriptedDialogs {
  public:
    using TScriptedDialogs::TScriptedDialogs;
    std::deque<TSaveAnswer> SaveAnswers;
    std::vector<std::string> SaveQuestions;
    TSaveAnswer AskSave(const std::string& text, const std::string&) override {
        SaveQuestions.push_back(text);
        if (SaveAnswers.empty()) {
            ADD_FAILURE() << "unexpected save question: " << text;
            return TSaveAnswer::Cancel;
        }
        const TSaveAnswer a = SaveAnswers.front();
        SaveAnswers.pop_front();
        return a;
    }
};

struct TMainWindowRig {
    explicit TMainWindowRig(std::vector<std::string> simArgs = {"--model", "Dogwood"}) {
        Sim = std::make_unique<TSimProcess>(std::move(simArgs));
        setenv("ZARNIK_SERIAL_DIR", Sim->Dir().c_str(), 1);
    }
    ~TMainWindowRig() {
        Form.reset();
        unsetenv("ZARNIK_SERIAL_DIR");
    }
    app::TMainForm& Open(app::EStartChoice choice) {
        app::TMainFormOptions o;
        o.BaseDir = Dir.Path;
        o.PortOverride = "COM3";
        o.StartChoice = choice;
        o.Dialogs = &Dialogs;
        Form = std::make_unique<app::TMainForm>(o);
        Form->show();
        Form->Start();
        return *Form;
    }
    TMainClass& Session() { return Form->Context().S(); }
    TDataStream& Store() { return Form->Context().D(); }
    std::string Line(int i) { return Form->StatusLine(i)->text().toStdString(); }

    TTempDir Dir;
    std::unique_ptr<TSimProcess> Sim;
    TGuiDialogs Dialogs;
    std::unique_ptr<app::TMainForm> Form;
};

// Runs `act` on the modal window that `open` shows, once it is up. A window `act` leaves open
// (a failed assertion in it, say) is closed, so that a failure never hangs the run.
template <typename TWindow>
void WithModal(const std::function<void()>& open, const std::function<void(TWindow&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seen = true;
        const QPointer<TWindow> window(w);
        act(*w);
        if (window && window->isVisible()) window->reject();
    });
    open();
    EXPECT_TRUE(seen);
}

// One edit through a window, as a user makes it: "Равномерная загрузка СЛ" turned over in the
// system settings and stored with "Внести данные".
inline void ToggleUniformLoading(app::TMainForm& w) {
    WithModal<app::TSystemSettingsForm>(
        [&] { w.Run(ECommand::SystemSettings); },
        [](app::TSystemSettingsForm& f) {
            for (auto* b : f.findChildren<QCheckBox*>())
                if (b->text() == QStringLiteral("Равномерная загрузка СЛ")) b->toggle();
            for (auto* b : f.findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Внести данные")) b->click();
        });
}

}  // namespace zarnik::test
