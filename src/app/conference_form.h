#pragma once
// "Программирование конференций": the quick conferences, the lines of each, and their names.

#include <QDialog>
#include <vector>

#include "app/app_context.h"
#include "editors/conference_editor.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zarnik::app {

class TConferenceForm : public QDialog {
    Q_OBJECT
  public:
    explicit TConferenceForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QListWidget* ConferenceList() const { return Conferences; }
    QListWidget* MemberList() const { return Members; }
    QListWidget* LineList() const { return Lines; }
    QAction* AddAction() const { return Add; }
    QAction* RemoveAction() const { return Remove; }
    QAction* NameAction() const { return NameIt; }
    QGroupBox* NamePanel() const { return NameBox; }
    QLineEdit* NameField() const { return NameEdit; }
    QPushButton* NameOkButton() const { return NameOk; }
    QPushButton* NameCancelButton() const { return NameCancel; }

    // Closing stores the conferences whose lines were changed and encodes the table.
    void done(int result) override;

  private:
    void RefreshConferences();
    void ShowConference(int conference);
    void AddChosenLine();
    void RemoveChosenLine();
    void OpenNameField();
    void TakeName();
    void CloseNameField();

    TAppContext Ctx;
    TConferenceDraft Draft;
    std::vector<TPortChoice> MemberEntries;
    std::vector<TPortChoice> LineEntries;
    QListWidget* Conferences;
    QListWidget* Members;
    QListWidget* Lines;
    QAction* Add;
    QAction* Remove;
    QAction* NameIt;
    QGroupBox* NameBox;
    QLineEdit* NameEdit;
    QPushButton* NameOk;
    QPushButton* NameCancel;
    int Shown = -1;
};

}  // namespace zarnik::app
