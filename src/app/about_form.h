#pragma once
// "О программе": the program's name, version and purpose, and the folder its files are kept in.

#include <QDialog>

#include <string>

#include "app/app_context.h"

class QLabel;
class QPushButton;

namespace zarnik::app {

class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    // baseFolder: where "dat" and Zarnik_M.cfg are; "" shows no folder line.
    explicit TAboutForm(const std::string& baseFolder, QWidget* parent = nullptr);
    explicit TAboutForm(QWidget* parent = nullptr) : TAboutForm(std::string(), parent) {}
    // Nothing of the configuration is shown; from the context only the base folder.
    explicit TAboutForm(const TAppContext& ctx, QWidget* parent = nullptr)
        : TAboutForm(ctx.StartDir, parent) {}
    QPushButton* OkButton() const { return Ok; }
    QLabel* FolderLabel() const { return Folder; }

  private:
    QPushButton* Ok;
    QLabel* Folder = nullptr;
};

}  // namespace zarnik::app
