// Feeds arbitrary bytes to the measurement data file reader. It must never crash or allocate for
// absurd counts, must leave the caller's lists exactly as they were unless the whole file is
// valid, must hand back only finite values, and a file it accepts must write back to a file it
// accepts again with the same lists.
#include "measure/measuredatafile.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<int>(size));
    MeasureDataFile::Contents held;
    held[MeasureDataFile::GraySection] << CColor(7.0, 8.0, 9.0);
    MeasureDataFile::Contents read = held;
    const MeasureDataFile::Status status = MeasureDataFile::decode(bytes, &read);
    if (status != MeasureDataFile::Status::Ok) {
        if (MeasureDataFile::encode(read) != MeasureDataFile::encode(held))
            std::abort(); // a refused file must leave the lists alone
        return 0;
    }
    for (const QList<CColor>& list : read.lists) {
        for (const CColor& c : list) {
            for (double v : {c[0], c[1], c[2], c.levelR, c.levelG, c.levelB}) {
                if (!std::isfinite(v))
                    std::abort();
            }
        }
    }
    const QByteArray again = MeasureDataFile::encode(read);
    MeasureDataFile::Contents back;
    if (MeasureDataFile::decode(again, &back) != MeasureDataFile::Status::Ok
        || MeasureDataFile::encode(back) != again)
        std::abort();
    return 0;
}
