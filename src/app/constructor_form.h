#pragma once
// "Конструктор АТС": a blank configuration for a chosen model, working-program version and set
// of boards, built without a station. exec() returns Accepted exactly when one was built.

#include <QDialog>

#include "app/app_context.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zarnik {
class TConstructorDraft;
}

namespace zarnik::app {

class TConstructorForm : public QDialog {
    Q_OBJECT
public:
    explicit TConstructorForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QComboBox* ModelList() const { return Models; }
    QComboBox* VersionList() const { return Versions; }
    QTableWidget* SlotGrid() const { return Grid; }
    QCheckBox* SecondUnitBox() const { return SecondUnit; }
    QPushButton* BuildButton() const { return Build; }
    QLabel* NoteLabel() const { return Note; }

    static constexpr int SlotRow = 0;
    static constexpr int BoardRow = 1;

private:
    void ChooseModel(int index);
    void ChooseVersion(int index);
    void ChooseBoard(int slot, const QString& board);
    void TickSecondUnit(bool ticked);
    void ShowDraft();
    void BuildStation();

    TAppContext Ctx;
    TConstructorDraft& Draft;
    QComboBox* Models;
    QComboBox* Versions;
    QTableWidget* Grid;
    QCheckBox* SecondUnit;
    QPushButton* Build;
    QLabel* Note;
};

}  // namespace zarnik::app
