// Feeds arbitrary bytes to the matrix stream reader (the correction-matrix record of a sensor
// profile). The reader must never crash, never allocate for absurd counts, and must either
// commit a complete matrix or leave the target exactly as it was.
#include "colour/matrix.h"

#include <QByteArray>
#include <QDataStream>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     static_cast<int>(size));
    QDataStream in(bytes);
    const Matrix sentinel(7.0, 2, 2);
    Matrix m(sentinel);
    in >> m;
    if (in.status() != QDataStream::Ok) {
        if (m != sentinel)
            std::abort();  // a failed read must leave the target unchanged
        return 0;
    }
    // A committed matrix is exactly what the counts announced and writes back to the bytes it
    // was read from (the elements are copied bit for bit, NaN payloads included).
    QByteArray again;
    QDataStream out(&again, QIODevice::WriteOnly);
    out << m;
    if (again.size() != 8 + 8 * m.rows() * m.cols() || !bytes.startsWith(again))
        std::abort();
    return 0;
}
