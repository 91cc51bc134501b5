#include "sensors/serialinstrument.h"

#include "appcore/imessagebox.h"
#include "sensors/sensor.h"

bool openInstrumentPort(platform::SerialLine& port, const platform::SerialConfig& config, const QString& failText,
                        const QString& title)
{
    port.setPortName(CSensor::lastPortName());
    if (!port.open()) {
        IMessageBox::ask(title, failText.arg(port.portName()));
        return false;
    }
    port.setConfig(config);
    return true;
}
