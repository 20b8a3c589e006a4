#pragma once
// The group panel of the line-and-group window: one group's whole record (its 26 settings,
// priority, loudspeaker channel, direct call, group-call lines, intercept groups, routing
// tables of the group call, forbidden trunk lines) and its name. "Внести данные" stores the
// panel whole or not at all and re-encodes the group table; "Отмена" shows the store again.

#include <array>
#include <vector>

#include "app/app_context.h"
#include "app/item_panel.h"
#include "editors/group_editor.h"
#include "model/group_record.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace zarnik::app {

class TGroupPanel : public TItemPanel {
    Q_OBJECT
  public:
    explicit TGroupPanel(const TAppContext& ctx, QWidget* parent = nullptr);
    ~TGroupPanel() override;

    // item: the group's record index, 0 to 19 (group number item + 10).
    void ShowItem(int item) override;
    bool Commit() override;
    bool Dirty() const override;

    int Index() const { return Current; }
    QLabel* NumberLabel() const { return Number; }
    QLineEdit* NameEdit() const { return Name; }
    // The check box of a setting, by the setting's index 0..25 (the order TAL uses).
    QCheckBox* SettingBox(int index) const { return Settings[static_cast<std::size_t>(index)]; }
    QComboBox* PriorityList() const { return Priority; }
    QComboBox* LoudspeakerList() const { return Loudspeaker; }
    QLineEdit* DirectCallEdit() const { return DirectCall; }
    QComboBox* GroupCallList(int k) const { return CallLines[static_cast<std::size_t>(k)]; }
    QComboBox* InterceptList(int k) const { return Intercepts[static_cast<std::size_t>(k)]; }
    QComboBox* DayList() const { return Day; }
    QComboBox* NightList() const { return Night; }
    // One box per trunk-line port of the station, in port order, captioned with its number.
    const std::vector<QCheckBox*>& TrunkBoxes() const { return Trunks; }
    QPushButton* CommitButton() const { return CommitBtn; }
    QPushButton* CancelButton() const { return CancelBtn; }

  private:
    // One box per trunk-line port; rebuilt only when the station's trunk-line ports changed.
    void BuildTrunkBoxes(const std::vector<TGroupTrunk>& trunks);
    void Fill(const TGroupView& view);
    TGroupView Read() const;

    TAppContext Ctx;
    int Current = 0;
    QLabel* Number;
    QLineEdit* Name;
    std::array<QCheckBox*, kAlSettingCount> Settings{};
    QComboBox* Priority;
    QComboBox* Loudspeaker;
    QLineEdit* DirectCall;
    std::array<QComboBox*, kGroupListEntries> CallLines{};
    std::array<QComboBox*, kGroupListEntries> Intercepts{};
    QComboBox* Day;
    QComboBox* Night;
    QGridLayout* TrunkGrid;
    QScrollArea* TrunkScroll;
    std::vector<QCheckBox*> Trunks;
    QPushButton* CommitBtn;
    QPushButton* CancelBtn;
};

}  // namespace zarnik::app
