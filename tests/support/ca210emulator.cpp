#include "ca210emulator.h"

#include <QSharedPointer>

namespace ca210emulator {

QByteArray status(int error)
{
    if (error < 0)
        return "OK00\r";
    return ("ER" + QByteArray::number(error).rightJustified(2, '0') + "\r").leftJustified(5, ' ', true);
}

QByteArray identity(const QByteArray& model, const QByteArray& serialWord)
{
    // Field 2: "X <model>" then 11 blanks (10 empty words) then the serial word as word 12.
    const QByteArray field2 = "X " + model + QByteArray(11, ' ') + serialWord;
    return ("OK00,," + field2 + ",\r\n").leftJustified(37, ' ', true);
}

QByteArray measurement(const Xyz& c, const QByteArray& prefix)
{
    const QByteArray tail = prefix.startsWith('\r') ? QByteArray() : QByteArray("\r");
    QByteArray values = QByteArray::number(c.x, 'f', 4) + ";" + QByteArray::number(c.y, 'f', 4) + ";"
        + QByteArray::number(c.z, 'f', 4);
    const int room = 38 - prefix.size() - 4 - tail.size();
    values = values.rightJustified(room, ' ', true);
    return prefix + ",P1 " + values + tail;
}

void install(SerialEmulator& emu, const QByteArray& serialWord, const QList<Xyz>& colours)
{
    using Reply = SerialEmulator::Reply;
    for (const char* cmd : {"COM,1\r\n", "MDS,7\r\n", "SCS,3\r\n", "ARS,2.5,2.5\r\n", "COM,0\r\n"})
        emu.on(cmd, Reply(status()));
    emu.on("IDO\r\n", Reply(identity("M", serialWord)));
    auto next = QSharedPointer<int>::create(0);
    emu.on("XYZ\r\n", [colours, next](const QByteArray&) {
        const Xyz c = colours.isEmpty() ? Xyz{0, 0, 0} : colours.at((*next)++ % colours.size());
        return QList<Reply>{Reply(measurement(c))};
    });
}

} // namespace ca210emulator
