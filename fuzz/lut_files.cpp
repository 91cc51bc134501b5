// Fuzz target: the readers of the two LUT files, ".cube" text and the ".3dlut" header check.
// The first byte chooses the reader.
#include "colour/lut3d.h"
#include "measure/cubefile.h"
#include "measure/file3dlut.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    QByteArray bytes(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    if (data[0] % 2 == 0) {
        Lut3d lut(2);
        QString error;
        const bool ok = cubefile::read(bytes, "fuzz.cube", &lut, &error);
        if (ok != error.isEmpty() || ok != (lut.grid != nullptr))
            std::abort();  // a table exactly when there is no error
        if (ok) {
            if (lut.size < cubefile::kMinSize || lut.size > cubefile::kMaxSize)
                std::abort();
            LutRgb rgb(0.25, 0.5, 1.0);
            lut.lookup(&rgb);
            // What was read is written again and reads back the same.
            Lut3d again(2);
            if (!cubefile::read(cubefile::format(lut), "again.cube", &again, &error) || again.size != lut.size)
                std::abort();
        }
    } else {
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QString error;
        if (File3dLut::validate(&in, &error))
            std::abort();  // no input this short can be a whole file
        quint16 rgb[3];
        File3dLut::readNode(&in, 0, 0, 0, rgb);
    }
    return 0;
}
