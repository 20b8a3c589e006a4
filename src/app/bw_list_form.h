#pragma once
// "Белые и черная записные книжки": the five sections of the white book and the black book,
// ten numbers of up to 8 symbols each.

#include <QDialog>
#include <array>

#include "app/app_context.h"
#include "editors/bw_list_editor.h"

class QPushButton;
class QTableWidget;

namespace zarnik::app {

class TBwListForm : public QDialog {
    Q_OBJECT
  public:
    explicit TBwListForm(const TAppContext& ctx, QWidget* parent = nullptr);

    // Sections 0..4 of the white book, 5 the black book.
    QTableWidget* Section(std::size_t s) const { return Grids[s]; }
    QPushButton* CommitButton() const { return Commit; }
    QPushButton* CancelButton() const { return Cancel; }

  private:
    QTableWidget* SectionGrid(std::size_t section, QWidget* parent);
    void ShowStore();
    void CommitData();

    TAppContext Ctx;
    std::array<QTableWidget*, kBwSections> Grids{};
    QPushButton* Commit;
    QPushButton* Cancel;
};

}  // namespace zarnik::app
