#pragma once
// "Программирование кнопок СТА": the station's system phones in a list, the chosen phone's
// buttons in a grid (code and what it stands for) and the phone it is linked to. Codes are
// checked as they are entered; "Внести данные" and "OK" store every phone and encode the button
// table, "Cancel" leaves the store as it was.

#include <QDialog>
#include <memory>

#include "app/app_context.h"

class QComboBox;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace zarnik {
class TStaButtonEditor;
}

namespace zarnik::app {

class TStaButtonsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TStaButtonsForm(const TAppContext& ctx, QWidget* parent = nullptr);
    ~TStaButtonsForm() override;

    // Opens the window over parent, or shows "В АТС отсутствуют СТА" when the port model has no
    // system phone. True when the window was closed with "OK".
    static bool Open(const TAppContext& ctx, QWidget* parent);

    QListWidget* PhoneList() const { return Phones; }
    QComboBox* LinkList() const { return Link; }
    // Rows: one per button; columns "№", "Код", "Назначение".
    QTableWidget* ButtonGrid() const { return Grid; }
    QPushButton* CommitButton() const { return CommitBtn; }
    QPushButton* OkButton() const { return OkBtn; }
    QPushButton* CancelButton() const { return CancelBtn; }
    int Phone() const { return Current; }

    // "Внести данные"; false when refused (its message has been shown).
    bool CommitData();

  private:
    void ShowPhone(int phone);
    void ShowButton(int button);
    void ButtonEdited(QTableWidgetItem* item);

    TAppContext Ctx;
    std::unique_ptr<TStaButtonEditor> Editor;
    int Current = 0;
    bool Filling = false;
    QListWidget* Phones;
    QComboBox* Link;
    QTableWidget* Grid;
    QPushButton* CommitBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
};

}  // namespace zarnik::app
