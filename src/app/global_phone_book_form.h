#pragma once
// "Программирование общей записной книжки": the 30 numbers "070"-"099" that every line of the
// station dials short, with their directions and names.

#include <QDialog>

#include "app/app_context.h"

class QPushButton;

namespace zarnik::app {

class TPhoneBookGrid;

class TGlobalPhoneBookForm : public QDialog {
    Q_OBJECT
  public:
    explicit TGlobalPhoneBookForm(const TAppContext& ctx, QWidget* parent = nullptr);

    TPhoneBookGrid* Grid() const { return Table; }
    QPushButton* CommitButton() const { return Commit; }
    QPushButton* CancelButton() const { return Cancel; }

  private:
    void CommitData();

    TAppContext Ctx;
    TPhoneBookGrid* Table;
    QPushButton* Commit;
    QPushButton* Cancel;
};

}  // namespace zarnik::app
