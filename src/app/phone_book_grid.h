#pragma once
// The grid the common and the group phone-book windows share: cell code, direction, number,
// (in the group window the common book's number beside it) and the entry's name. Keys are
// filtered by the phone-book rules; the window reads the rows back when it commits.

#include <QTableWidget>
#include <string>
#include <vector>

#include "editors/phone_book_editor.h"

namespace zarnik::app {

class TPhoneBookGrid : public QTableWidget {
    Q_OBJECT
  public:
    static constexpr int ColCode = 0;
    static constexpr int ColDir = 1;
    static constexpr int ColNumber = 2;

    // withCommonColumn: the group window's "Номер в общей книжке" column before the names.
    TPhoneBookGrid(bool withCommonColumn, const QString& accessibleName, QWidget* parent);

    int CommonColumn() const { return WithCommon ? 3 : -1; }
    int CommentColumn() const { return WithCommon ? 4 : 3; }
    EBookWay Way() const { return ShownWay; }

    // Fills the grid; `common` (group window only) holds the common book's numbers by row.
    void ShowRows(const std::vector<TBookRow>& rows, EBookWay way,
                  const std::vector<std::string>& common = {});
    std::vector<TBookRow> Rows() const;
    // Whether anything was typed since the rows were shown.
    bool Edited() const { return Touched; }

    // The most symbols the number of a row may hold while typing.
    int NumberLimit(int row) const;

  private:
    void CellChanged(QTableWidgetItem* item);
    QTableWidgetItem* Cell(int row, int column, const std::string& text, Qt::ItemFlags flags);

    bool WithCommon;
    EBookWay ShownWay = EBookWay::Plain;
    std::vector<bool> ContinuationRows;
    bool Filling = false;
    bool Touched = false;
};

}  // namespace zarnik::app
