#pragma once
// "Программирование общесистемных установок АТС": the eight station-wide switches and the two
// times of day at which the station changes between its day and night modes.

#include <QDialog>
#include <array>

#include "app/app_context.h"

class QCheckBox;
class QPushButton;
class QTimeEdit;

namespace zarnik::app {

class TSystemSettingsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSystemSettingsForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QCheckBox* Switch(std::size_t i) const { return Switches[i]; }
    QTimeEdit* DayTime() const { return Day; }
    QTimeEdit* NightTime() const { return Night; }
    QPushButton* RefreshButton() const { return Refresh; }
    QPushButton* CommitButton() const { return Commit; }

    // "Обновление данных": the controls show the store again.
    void ShowStore();

  private:
    void CommitData();

    TAppContext Ctx;
    std::array<QCheckBox*, 8> Switches{};
    QTimeEdit* Day;
    QTimeEdit* Night;
    QPushButton* Refresh;
    QPushButton* Commit;
};

}  // namespace zarnik::app
