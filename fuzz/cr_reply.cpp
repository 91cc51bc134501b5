// Fuzz target: the CR-100/CR-250 line framing and reply parsers. The input is a byte stream of
// reply lines as the instrument would send them.
#include "sensors/crprotocol.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray stream(reinterpret_cast<const char*>(data), int(size));
    QVector<float> values;
    for (int end = cr::lineEnd(stream); end >= 0; end = cr::lineEnd(stream)) {
        if (end < 1)
            std::abort(); // a line has at least one byte
        const QString line = QString::fromLatin1(stream.left(end));
        stream.remove(0, end + 2);
        QString text;
        cr::field(line, 4, &text);
        cr::entryName(line, &text);
        int n = 0;
        if (cr::listCount(line, line.size() % 2 == 0, &n) && n > cr::kMaxListCount)
            std::abort();
        double x, y, z;
        cr::parseXyz(line, &x, &y, &z);
        cr::leadingNumber(line, &x);
        cr::clampSyncFreq(line.size(), x, -x);
        int start = 0, last = 0, count = 0;
        if (cr::parseSpectrumHeader(line, &start, &last, &count)) {
            if (count < 1 || count > cr::kMaxSpectrumCount)
                std::abort();
            values = QVector<float>(count, 1.0f);
            if (cr::resampleSpectrum(values, start, last).size() != 401)
                std::abort();
        }
        cr::isLowLightError(line);
        values.append(line.toFloat());
    }
    return 0;
}
