#pragma once
// "Чистка всех установок": resets the ticked tables to their blank state after naming them and
// asking. Nothing goes to the station here; the next write sends the blank tables.

#include <QDialog>

#include <array>

#include "app/app_context.h"
#include "model/table_ids.h"

class QCheckBox;
class QPushButton;
class QScrollArea;

namespace zarnik::app {

class TClearingForm : public QDialog {
    Q_OBJECT
public:
    explicit TClearingForm(const TAppContext& ctx, QWidget* parent = nullptr);

    // The boxes in clearing order, as the window lists them.
    QCheckBox* Box(std::size_t i) const { return Boxes[i]; }
    QCheckBox* BoxOf(ETable t) const;
    QPushButton* TickAllButton() const { return TickAll; }
    QPushButton* UntickAllButton() const { return UntickAll; }
    QPushButton* ClearButton() const { return Clear; }

private:
    void TickEvery(bool ticked);
    void ClearTables();

    TAppContext Ctx;
    std::array<QCheckBox*, kTableCount> Boxes{};
    QScrollArea* List;
    QPushButton* TickAll;
    QPushButton* UntickAll;
    QPushButton* Clear;
};

}  // namespace zarnik::app
