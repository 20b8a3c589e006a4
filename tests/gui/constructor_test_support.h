#pragma once
// Choosing a board in the constructor window the way a user does: a double click on the slot's
// board cell opens the drop-down of the family's boards.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTableWidget>
#include <QTest>

#include "app/constructor_form.h"

namespace zarnik::test {

inline void PutBoard(app::TConstructorForm& form, int slot, const QString& board) {
    using Form = app::TConstructorForm;
    QTableWidget* grid = form.SlotGrid();
    QTableWidgetItem* cell = grid->item(Form::BoardRow, slot);
    ASSERT_NE(cell, nullptr);
    grid->scrollToItem(cell);
    const QPoint at = grid->visualItemRect(cell).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    auto* box = qobject_cast<QComboBox*>(grid->indexWidget(grid->model()->index(Form::BoardRow, slot)));
    ASSERT_NE(box, nullptr) << "no drop-down over slot " << slot;
    const int index = box->findText(board);
    ASSERT_GE(index, 0) << board.toStdString();
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
    QApplication::processEvents();
}

}  // namespace zarnik::test
