#pragma once
// "Cостав АТС": the boards of the station, slot by slot, read-only.

#include <QDialog>

#include "app/app_context.h"

class QTableWidget;

namespace zarnik::app {

class TATSComplectForm : public QDialog {
    Q_OBJECT
  public:
    explicit TATSComplectForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QTableWidget* Grid() const { return Table; }
    // The grid shows the store's composition again.
    void ShowStore();

  private:
    TAppContext Ctx;
    QTableWidget* Table;
};

}  // namespace zarnik::app
