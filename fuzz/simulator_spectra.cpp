// Fuzz target: the simulator's table file "spec.csv" (layout in sensors/simulator.cpp). Whatever
// the bytes, the reader must end, and every cell of the table must stay a finite number.
#include "sensors/simulator.h"

#include <QBuffer>
#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
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
