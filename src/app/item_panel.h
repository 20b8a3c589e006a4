#pragma once
// One of the three panels of the line-and-group window ("Программирование групп и АЛ"): it shows
// one item (a subscriber line, a group or a trunk line) and commits its edits to the store.

#include <QWidget>

namespace zarnik::app {

class TItemPanel : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

    // Fills the panel from the store: a port number for a subscriber line or a trunk line, a
    // record index (from 0) for a group. Edits not committed are dropped.
    virtual void ShowItem(int item) = 0;
    // Saves the panel into the store and re-encodes the tables it changed. False when a rule
    // refused the edits: its message has been shown and the store is as it was.
    virtual bool Commit() = 0;
    // Whether the panel holds edits that are not in the store yet.
    virtual bool Dirty() const = 0;

  Q_SIGNALS:
    void Committed();  // after a commit made by the panel's own button
    void Cancelled();  // after the panel's own "Отмена": the store's values are shown again
};

}  // namespace zarnik::app
