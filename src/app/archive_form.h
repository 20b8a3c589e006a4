#pragma once
// "Архив станций": the stations this computer has served on the left, the chosen station's
// timeline on the right (reads, backups, files, writes, clock sets, newest first), and what
// can be done with a file of it: open it, compare it with the configuration in hand or with a
// second file, or write it back to its station.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "flows/station_archive.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace zarnik::app {

// What the user chose to do with a file, left to the main window, whose flows these are.
struct TArchiveRequest {
    enum class EAction { Open, Restore };
    EAction Action = EAction::Open;
    std::string Path;
    std::string Serial;  // the station the file was taken from
};

class TArchiveForm : public QDialog {
    Q_OBJECT
  public:
    explicit TArchiveForm(const TAppContext& ctx, QWidget* parent = nullptr);

    // Set when the window was closed by "Открыть" or by an agreed "Восстановить в АТС...".
    const std::optional<TArchiveRequest>& Request() const { return Chosen; }

    QLineEdit* FilterEdit() const { return Filter; }
    QTreeWidget* StationTree() const { return StationsView; }
    QTreeWidget* DamagedTree() const { return DamagedView; }
    QTreeWidget* TimelineTree() const { return EventsView; }
    QLabel* StationTitle() const { return Title; }
    QLabel* DetailsText() const { return Details; }
    QPushButton* OpenButton() const { return Open; }
    QPushButton* CompareHandButton() const { return CompareHand; }
    QPushButton* CompareButton() const { return Compare; }
    QPushButton* RestoreButton() const { return Restore; }
    const TStationArchive& Archive() const { return Data; }

    // Shows the station of that serial number; false when the archive has none.
    bool ChooseStation(const std::string& serial);

  private:
    void Refresh();
    void FillStations();
    void ApplyFilter();
    void ShowStation();
    void UpdateButtons();
    // The chosen timeline entries that are files, oldest first.
    std::vector<const TArchiveEvent*> ChosenFiles() const;
    const TArchiveStation* CurrentStation() const;

    void OnOpen();
    void OnCompareHand();
    void OnCompare();
    void OnRestore();

    TAppContext Ctx;
    TStationArchive Data;
    std::vector<TArchiveEvent> Events;
    std::optional<TArchiveRequest> Chosen;

    QLineEdit* Filter;
    QTreeWidget* StationsView;
    QLabel* DamagedCaption;
    QTreeWidget* DamagedView;
    QLabel* Title;
    QTreeWidget* EventsView;
    QLabel* Details;
    QLabel* Warnings;
    QPushButton* Open;
    QPushButton* CompareHand;
    QPushButton* Compare;
    QPushButton* Restore;
    QPushButton* Reload;
    QPushButton* Close;
};

}  // namespace zarnik::app
