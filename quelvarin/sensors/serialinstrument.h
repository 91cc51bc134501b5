#pragma once
// What the drivers of instruments on a serial port share: opening the port the operator chose
// with the instrument's line settings, or telling why not.

#include "platform/serialline.h"

#include <QString>

// Opens `port` on the port last chosen (CSensor::lastPortName()) and applies `config`. When the
// port does not open, shows `title` ("Open Sensor Error!" unless the driver translates it) with
// `failText` (its %1 the port name) and answers false.
bool openInstrumentPort(platform::SerialLine& port, const platform::SerialConfig& config, const QString& failText,
                        const QString& title = QStringLiteral("Open Sensor Error!"));
