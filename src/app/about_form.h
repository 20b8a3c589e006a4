#pragma once
// "О программе": the program's name, version and purpose.

#include <QDialog>

#include "app/app_context.h"

class QPushButton;

namespace zarnik::app {

class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutForm(QWidget* parent = nullptr);
    // The window shows nothing of the configuration; the context is accepted like every
    // window's.
    explicit TAboutForm(const TAppContext& /*ctx*/, QWidget* parent = nullptr)
        : TAboutForm(parent) {}
    QPushButton* OkButton() const { return Ok; }

  private:
    QPushButton* Ok;
};

}  // namespace zarnik::app
