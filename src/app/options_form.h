#pragma once
// "Настройки программы Zarnik": the serial port that reaches the station (a COMn name or a
// device path such as a USB-serial adapter's) and the safety switches.

#include <QDialog>

#include "app/app_context.h"
#include "link/serial_port_list.h"
#include "model/program_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zarnik::app {

class TOptionsForm : public QDialog {
    Q_OBJECT
  public:
    explicit TOptionsForm(const TAppContext& ctx, QWidget* parent = nullptr);

    QComboBox* PortList() const { return Ports; }
    QPushButton* AcceptButton() const { return Accept; }
    QLabel* CurrentPortLabel() const { return CurrentPort; }
    QCheckBox* BackupBox() const { return Backup; }
    QCheckBox* VerifyBox() const { return Verify; }
    QCheckBox* TraceBox() const { return Trace; }

  private:
    void AcceptChanges();

    TAppContext Ctx;
    QLabel* CurrentPort;
    QComboBox* Ports;
    QPushButton* Accept;
    QCheckBox* Backup;
    QCheckBox* Verify;
    QCheckBox* Trace;
    TSafetyOptions Kept;  // as the window found them
    std::vector<TSerialPortInfo> Offered;  // the list's lines, in its order
};

}  // namespace zarnik::app
