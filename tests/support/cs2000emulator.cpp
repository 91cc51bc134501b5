#include "cs2000emulator.h"

#include <QSharedPointer>
#include <QStringList>

namespace cs2000emulator {

namespace {

QByteArray number(double v)
{
    return QByteArray::number(v, 'e', 3);
}

} // namespace

QByteArray status(int error)
{
    if (error < 0)
        return "OK00\r\n";
    return "ER" + QByteArray::number(error).rightJustified(2, '0') + "\r\n";
}

QByteArray measureReply(int seconds)
{
    return "OK00," + QByteArray::number(seconds).rightJustified(3, '0') + "\r\n";
}

QByteArray identity(const QByteArray& serialItem)
{
    return "OK00,CS-2000,V1," + serialItem + "\r\n";
}

QByteArray colorimetric(const Xyz& c)
{
    return "OK00," + number(c.x) + "," + number(c.y) + "," + number(c.z) + "\r\n";
}

QByteArray block(int n, const QVector<float>& spectrum)
{
    const int first = (n - 1) * 100;
    const int count = n == 4 ? 101 : 100;
    QList<QByteArray> values;
    for (int i = first; i < first + count; ++i)
        values << number(i < spectrum.size() ? spectrum[i] : 0.0);
    QByteArray out = "OK00,";
    for (int i = 0; i < values.size(); ++i)
        out += (i ? "," : "") + values[i];
    return out + "\r\n";
}

QVector<float> spectrumOf(const Xyz& c)
{
    QVector<float> s(401);
    for (int i = 0; i < 401; ++i)
        s[i] = float(c.y / 100.0 * (1.0 + i / 400.0));
    return s;
}

void install(SerialEmulator& emu, const QByteArray& serialItem, const QList<Xyz>& colours, int seconds,
             int endDelayMs)
{
    using Reply = SerialEmulator::Reply;
    emu.on("RMTS,1\r\n", Reply(status()));
    emu.on("RMTS,0\r\n", Reply(status()));
    emu.on("IDDR\r\n", Reply(identity(serialItem)));
    emu.on("MEAS,1\r\n", QList<Reply>{Reply(measureReply(seconds)), Reply(status()).after(endDelayMs)});
    emu.on("MEAS,0\r\n", Reply(status()));
    // The colour of the current measurement: advanced by each colorimetric read, kept for the
    // spectral blocks that follow it.
    auto current = QSharedPointer<int>::create(-1);
    auto colourAt = [colours](int i) { return colours.isEmpty() ? Xyz{0, 0, 0} : colours.at(i % colours.size()); };
    emu.on("MEDR,2,0,01\r\n", [current, colourAt](const QByteArray&) {
        ++*current;
        return QList<Reply>{Reply(colorimetric(colourAt(*current)))};
    });
    for (int n = 1; n <= 4; ++n) {
        emu.on("MEDR,1,0,0" + QByteArray::number(n) + "\r\n", [current, colourAt, n](const QByteArray&) {
            return QList<Reply>{Reply(block(n, spectrumOf(colourAt(qMax(0, *current)))))};
        });
    }
}

} // namespace cs2000emulator
