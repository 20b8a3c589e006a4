#pragma once
// "Программирование АЛ": the settings of one subscriber line beside its group's values. Each
// row has the group's value (read-only), a switch ("->": the line follows its group, "  ": it
// uses its own value; a double click, or the "-" key on the row's check box, changes it) and
// the line's own check box.

#include <QLabel>
#include <vector>

#include "app/app_context.h"
#include "app/item_panel.h"
#include "editors/line_editor.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace zarnik::app {

// The switch between a line's own value and its group's.
class TSwitchLabel : public QLabel {
    Q_OBJECT
  public:
    explicit TSwitchLabel(QWidget* parent = nullptr);
    bool Own() const { return IsOwn; }
    void SetOwn(bool own);

  Q_SIGNALS:
    void DoubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool IsOwn = false;
};

// The group's value of a row: a check mark the user cannot change.
class TGroupValueBox : public QWidget {
    Q_OBJECT
  public:
    TGroupValueBox(const QString& caption, QWidget* parent = nullptr);
    bool Checked() const { return Value; }
    void SetChecked(bool on);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString Caption;
    bool Value = false;
};

class TLinePanel : public TItemPanel {
    Q_OBJECT
  public:
    explicit TLinePanel(const TAppContext& ctx, QWidget* parent = nullptr);

    void ShowItem(int port) override;
    bool Commit() override;
    bool Dirty() const override;

    int Port() const { return CurrentPort; }
    QLabel* NumberLabel() const { return Number; }
    QLineEdit* NameEdit() const { return Name; }
    // The row of a setting (door phones included); null when the station has no such row.
    QCheckBox* OwnBox(int setting) const;
    TSwitchLabel* Switch(int setting) const;
    TGroupValueBox* GroupValue(int setting) const;
    // The rows of "Закрытые СЛ", one per trunk line port.
    int TrunkRowCount() const { return static_cast<int>(TrunkRows.size()); }
    QCheckBox* TrunkBox(int row) const;
    TSwitchLabel* TrunkSwitch(int row) const;
    TGroupValueBox* TrunkGroupValue(int row) const;
    QComboBox* PriorityList() const { return Priority; }
    QComboBox* LoudspeakerList() const { return Loudspeaker; }
    QLineEdit* DirectCallEdit() const { return DirectCall; }
    QLabel* GroupPriorityLabel() const { return GroupPriority; }
    QLabel* GroupLoudspeakerLabel() const { return GroupLoudspeaker; }
    QLabel* GroupDirectCallLabel() const { return GroupDirectCall; }
    QPushButton* CommitButton() const { return CommitBtn; }
    QPushButton* CancelButton() const { return CancelBtn; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct TRow {
        int Setting = 0;  // setting index, or the trunk line row
        TGroupValueBox* Group = nullptr;
        TSwitchLabel* Switch = nullptr;
        QCheckBox* Own = nullptr;
    };

    TRow MakeRow(const QString& caption, int setting, QWidget* parent);
    void AddRow(QGridLayout* grid, const TRow& row, int gridRow, int column);
    void BuildTrunkRows();
    TLineView CurrentView() const;
    static void Toggle(const TRow& row);
    const TRow* RowOf(int setting) const;

    TAppContext Ctx;
    int CurrentPort = 0;
    TLineView Shown;
    std::vector<TLineTrunkRow> Trunks;

    QLabel* Number;
    QLineEdit* Name;
    std::vector<QWidget*> EditAreas;  // disabled for a line the table does not carry
    std::vector<TRow> SettingRows;
    std::vector<TRow> TrunkRows;
    QWidget* TrunkHolder;
    QGridLayout* TrunkGrid;
    QScrollArea* TrunkScroll;
    QComboBox* Priority;
    QComboBox* Loudspeaker;
    QLineEdit* DirectCall;
    QLabel* GroupPriority;
    QLabel* GroupLoudspeaker;
    QLabel* GroupDirectCall;
    QPushButton* CommitBtn;
    QPushButton* CancelBtn;
};

}  // namespace zarnik::app
