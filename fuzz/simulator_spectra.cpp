// Fuzz target: the simulator's table file "spec.csv" (layout in sensors/simulator.cpp). Whatever
// the bytes, the reader must end, and every cell of the table must stay a finite number. The
// reader's warning for every bad field is silenced: printed, it would flood the disk and slow
// the run.
#include "sensors/simulator.h"

#include <QBuffer>
#include <QByteArray>
#include <QtGlobal>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qInstallMessageHandler(quiet);
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly | QIODevice::Text);
    Simulator::readSpecTable(device, QStringLiteral("spec.csv"));
    for (const auto& row : Simulator::specTable) {
        for (double cell : row) {
            if (!std::isfinite(cell))
                std::abort();
        }
    }
    return 0;
}
