#pragma once
// The trunk line panel of the line-and-group window: one trunk line's whole record with its
// switches, directions, long-distance digit, type, routing tables, auto-dial number and the
// trunk line it is blocked with, and the line's name. "Внести данные" commits whole or not at
// all; "Отмена" shows the store's values again.

#include <array>

#include "app/app_context.h"
#include "app/item_panel.h"
#include "editors/trunk_line_editor.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarnik::app {

// The auto-dial field's key rule as the grid and the panel apply it: a typed character the
// station's version does not take is dropped; backspace and keys that type nothing pass.
bool AutoDialKeyDropped(const QKeyEvent& key, const std::string& version);

class TTrunkLinePanel : public TItemPanel {
    Q_OBJECT
  public:
    explicit TTrunkLinePanel(const TAppContext& ctx, QWidget* parent = nullptr);

    // A trunk line port; any other number leaves the panel empty and disabled.
    void ShowItem(int portNumber) override;
    bool Commit() override;
    bool Dirty() const override;

    int Port() const { return Shown; }
    QLabel* NumberLabel() const { return Number; }
    QLineEdit* NameEdit() const { return Name; }
    // The eighteen switches in record order: twelve settings, then directions 01..05 and 9.
    QCheckBox* SwitchBox(int index) const { return Switches.at(static_cast<std::size_t>(index)); }
    QComboBox* MGDigitList() const { return MGDigit; }
    QComboBox* TypeList() const { return Type; }
    QComboBox* DayList() const { return Day; }
    QComboBox* NightList() const { return Night; }
    QComboBox* BlockList() const { return Block; }
    QLineEdit* AutoDialEdit() const { return AutoDial; }
    QPushButton* CommitButton() const { return CommitBtn; }
    QPushButton* CancelButton() const { return CancelBtn; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the controls hold, and what the store holds for the line on show.
    TTrunkLineView Values() const;
    void Fill(const TTrunkLineView& view);
    void Enable(bool on);

    TAppContext Ctx;
    int Shown = -1;
    QLabel* Number;
    QLineEdit* Name;
    std::array<QCheckBox*, kTrunkSwitches> Switches{};
    QComboBox* MGDigit;
    QComboBox* Type;
    QComboBox* Day;
    QComboBox* Night;
    QComboBox* Block;
    QLineEdit* AutoDial;
    QPushButton* CommitBtn;
    QPushButton* CancelBtn;
};

}  // namespace zarnik::app
