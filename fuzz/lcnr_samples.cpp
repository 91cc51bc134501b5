// Feeds arbitrary bytes to the LCNR sample-file reader and expands what it accepts. The reader
// must never crash, must leave the held samples alone when it refuses a file, and must keep no
// more samples than there is room for; the expansion must refuse every level that would index
// outside the tables (the sanitizers catch a stray index); an accepted file, written back and
// read again, must write back to the same bytes.
#include "measure/lcnrsamples.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qInstallMessageHandler(quiet);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<int>(size));
    // Some room already taken, chosen by the first byte, so the cap is exercised too.
    const int room = size > 0 ? DCS::maxSamples - data[0] % (DCS::maxSamples + 1) : DCS::maxSamples;
    QVector<DCS::Sample> held(1);
    held[0].level = 0.25;
    QVector<DCS::Sample> read = held;
    if (!DCS::decodeSamples(bytes, room, &read)) {
        if (read.size() != 1 || read[0].level != 0.25)
            std::abort(); // a refused file must leave the samples alone
        return 0;
    }
    if (read.size() > room)
        std::abort();

    DCS dcs;
    dcs.count = read.size();
    for (int i = 0; i < read.size(); ++i) {
        dcs.level[i] = read[i].level;
        for (int c = 0; c < DCS::ComponentCount; ++c)
            dcs.sample[c][i] = read[i].values[c];
    }
    dcs.expandTables();

    const QByteArray written = DCS::encodeSamples(read);
    QVector<DCS::Sample> back;
    if (!DCS::decodeSamples(written, DCS::maxSamples, &back) || back.size() != read.size())
        std::abort();
    if (DCS::encodeSamples(back) != written)
        std::abort();
    return 0;
}
