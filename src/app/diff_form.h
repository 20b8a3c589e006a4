#pragma once
// "Сравнение с файлом": what differs between the configuration in hand and a configuration
// file, in a tree of tables, records and fields with the value on each side, and the list
// saved as text.

#include <QDialog>
#include <string>

#include "app/app_context.h"
#include "flows/config_diff.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zarnik::app {

class TDiffForm : public QDialog {
    Q_OBJECT
  public:
    // `fileName` is the file the configuration in hand was compared with; with `leftFile`,
    // two files were compared: the earlier `leftFile` with the later `fileName`.
    TDiffForm(const TAppContext& ctx, TConfigDiff diff, std::string fileName,
              QWidget* parent = nullptr, std::string leftFile = {});

    QTreeWidget* Tree() const { return Differences; }
    QLabel* Summary() const { return SummaryText; }
    QPushButton* ExportButton() const { return Export; }
    QPushButton* CloseButton() const { return Close; }
    const TConfigDiff& Diff() const { return Compared; }

    // The differences as the exported text shows them.
    std::string Text() const;

  private:
    void Fill();
    void SaveText();

    TAppContext Ctx;
    TConfigDiff Compared;
    std::string FileName;
    std::string LeftFile;
    std::string LeftCaption;
    std::string RightCaption;
    QLabel* SummaryText;
    QTreeWidget* Differences;
    QPushButton* Export;
    QPushButton* Close;
};

// The differences as a tree: a section per table with its count (`count` words it), the
// records under it, a field per row with the value on each side ("—" for an empty one).
void FillDiffTree(QTreeWidget* tree, const TConfigDiff& diff, std::string (*count)(std::size_t));

// "Сравнить с файлом...": asks for a configuration file, loads it beside the configuration in
// hand and shows what differs. False when the user cancelled or the file could not be loaded
// (its message has been shown).
bool CompareWithFile(const TAppContext& ctx, QWidget* parent);

// The configuration in hand against the file at `path`; false when the file could not be
// loaded (its message has been shown).
bool CompareHandWithFile(const TAppContext& ctx, const std::string& path, QWidget* parent);

// The file `earlier` against the file `later`, in the comparison window.
bool CompareTwoFiles(const TAppContext& ctx, const std::string& earlier, const std::string& later,
                     QWidget* parent);

}  // namespace zarnik::app
