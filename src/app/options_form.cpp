#include "app/options_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_helpers.h"
#include "editors/options_editing.h"

namespace zarnik::app {

TOptionsForm::TOptionsForm(const TAppContext& ctx, QWidget* parent) : QDialog(parent), Ctx(ctx) {
    setWindowTitle(QStringLiteral("Настройки программы Zarnik"));

    auto* group = NamedGroup(QStringLiteral("Установки последовательных портов"), this);
    auto* grid = new QGridLayout(group);

    const std::string portName = Ctx.Session != nullptr ? Ctx.S().PortName : std::string();
    // The devices present by name (adapters first), then the COMn names that open.
    if (Ctx.Session != nullptr) Offered = OfferedPorts(Ctx.S());
    CurrentPort = new QLabel(Qs(PortCaption(portName, Offered)), group);
    auto* inUse = BuddyLabel(QStringLiteral("Сейчас используется "), CurrentPort, group);
    CurrentPort->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    CurrentPort->setFocusPolicy(Qt::StrongFocus);

    // Editable: a port missing from the list (a device plugged in later, any device path)
    // can still be typed.
    Ports = new QComboBox(group);
    Ports->setEditable(true);
    Ports->setInsertPolicy(QComboBox::NoInsert);
    Ports->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Ports->setMinimumContentsLength(36);
    int inList = -1;
    for (const TSerialPortInfo& p : Offered) {
        if (p.Names(portName)) inList = Ports->count();
        Ports->addItem(Qs(p.Caption()));
    }
    // The port in use, when it is one of the list, is where the choice starts; a device path
    // that is not (an adapter unplugged now) stays in the field to be accepted again.
    if (inList >= 0)
        Ports->setCurrentIndex(inList);
    else
        Ports->setEditText(IsDevicePathText(portName) ? Qs(portName) : QString());
    auto* choose = BuddyLabel(QStringLiteral("Выберите номер СОМ-порта"), Ports, group);
    Ports->lineEdit()->setAccessibleName(Ports->accessibleName());
    auto* hint = new QLabel(
        QStringLiteral("или введите путь к устройству, например /dev/ttyUSB0"), group);
    hint->setEnabled(false);

    Accept = CaptionedButton<QPushButton>(QStringLiteral("Принять изменения"), group);
    Accept->setDefault(true);

    grid->addWidget(inUse, 0, 0);
    grid->addWidget(CurrentPort, 0, 1);
    grid->addWidget(choose, 1, 0);
    grid->addWidget(Ports, 1, 1);
    grid->addWidget(hint, 2, 1);
    grid->addWidget(Accept, 3, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    // The safety nets: on unless the technician switched them off.
    const TSafetyOptions safety = LoadSafetyOptions(Ctx.StartDir);
    auto* nets = NamedGroup(QStringLiteral("Защита конфигурации АТС"), this);
    auto* netsLayout = new QVBoxLayout(nets);
    Backup = new QCheckBox(
        QStringLiteral("Резервные копии в dat/auto (при чтении всей АТС и перед записью)"), nets);
    Verify = new QCheckBox(QStringLiteral("Проверять запись чтением из АТС"), nets);
    Trace = new QCheckBox(QStringLiteral("Трассировка обмена (файл %1 в папке программы)")
                              .arg(QString::fromUtf8(kTraceFileName)),
                          nets);
    for (QCheckBox* box : {Backup, Verify, Trace}) {
        box->setAccessibleName(box->text());
        netsLayout->addWidget(box);
    }
    Backup->setChecked(safety.AutoBackup);
    Verify->setChecked(safety.VerifyWrites);
    Trace->setChecked(safety.TraceExchange);
    Kept = safety;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(nets);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The port and its button first, as the window always had them; the switches after.
    setTabOrder(Ports, Accept);
    setTabOrder(Accept, CurrentPort);
    setTabOrder(CurrentPort, Backup);
    setTabOrder(Backup, Verify);
    setTabOrder(Verify, Trace);
    Ports->setFocus();

    connect(Accept, &QPushButton::clicked, this, &TOptionsForm::AcceptChanges);
}

void TOptionsForm::AcceptChanges() {
    if (Ctx.Session == nullptr) return;
    const QString chosen = Ports->currentText();
    CurrentPort->setText(chosen);
    const std::string name = PortNameFromText(Std(chosen), Offered);
    TSafetyOptions safety = Kept;
    safety.AutoBackup = Backup->isChecked();
    safety.VerifyWrites = Verify->isChecked();
    safety.TraceExchange = Trace->isChecked();
    const auto taken = AcceptOptions(Ctx.S(), name, safety, Ctx.StartDir, Ctx.Dlg());
    if (!taken) return;
    if (!ApplyTraceSwitch(Ctx.S(), safety.TraceExchange, Ctx.StartDir))
        Ctx.Dlg().Message("Не могу создать файл трассировки " + TraceFilePath(Ctx.StartDir) + ".",
                          "Ошибка");
    CurrentPort->setText(Qs(PortCaption(*taken, Offered)));
    accept();
}

}  // namespace zarnik::app
