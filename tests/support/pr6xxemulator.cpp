#include "pr6xxemulator.h"

#include <QSharedPointer>

namespace pr6xxemulator {

QByteArray textReply(const QByteArray& text, int length)
{
    return "00000," + text.leftJustified(qMax(0, length - 8), ' ') + "\r\n";
}

QByteArray measurement(const Xyz& c, int status)
{
    if (status != 0)
        return (status < 0 ? "-" + QByteArray::number(-status).rightJustified(4, '0')
                           : QByteArray::number(status).rightJustified(5, '0'))
            + "\r\n";
    QByteArray body = "00000,0," + QByteArray::number(c.x, 'e', 3) + "," + QByteArray::number(c.y, 'e', 3) + ","
        + QByteArray::number(c.z, 'e', 3);
    return body.leftJustified(37, ' ') + "\r\n";
}

QByteArray list(const QVector<float>& values)
{
    QByteArray out = "00000,\r\n";
    for (float v : values)
        out += QByteArray::number(double(v), 'f', 3).rightJustified(5, ' ').left(5) + "\r\n";
    return out;
}

QVector<float> darkList(int lines)
{
    return QVector<float>(lines, 0.1f);
}

QVector<float> lightList(const Xyz& c, int lines)
{
    QVector<float> v(lines);
    for (int i = 0; i < lines; ++i)
        v[i] = float(0.1 + c.y / 100.0 * (1.0 + double(i) / lines));
    return v;
}

void install(SerialEmulator& emu, const QByteArray& serial, const QByteArray& model, const QList<Xyz>& colours)
{
    using Reply = SerialEmulator::Reply;
    const int lines = model == "PR-655" ? 128 : 256;
    emu.on("PHOTO\r", Reply(textReply("", 12)));
    emu.on("D110\r", Reply(textReply(serial, 16)));
    emu.on("D111\r", Reply(textReply(model, 14)));
    emu.on("SU1\r", Reply("00000\r\n"));
    emu.on("SE0\r", Reply("00\r\n"));
    auto current = QSharedPointer<int>::create(-1);
    auto colourAt = [colours](int i) { return colours.isEmpty() ? Xyz{0, 0, 0} : colours.at(i % colours.size()); };
    emu.on("M2\r", [current, colourAt](const QByteArray&) {
        ++*current;
        return QList<Reply>{Reply(measurement(colourAt(*current)))};
    });
    emu.on("D9\r", Reply(list(darkList(lines))));
    emu.on("D8\r", [current, colourAt, lines](const QByteArray&) {
        return QList<Reply>{Reply(list(lightList(colourAt(qMax(0, *current)), lines)))};
    });
}

} // namespace pr6xxemulator
