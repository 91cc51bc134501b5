#pragma once
// The CA-210 colorimeter on a serial port for the serial emulator: its replies built from values,
// and a standard instrument that accepts the set-up, identifies itself and measures a list of
// colours in turn.

#include "serialemulator.h"

#include <QByteArray>
#include <QList>

namespace ca210emulator {

struct Xyz
{
    double x, y, z;
};

// "OK00" CR (5 bytes), or "ER<nn>" + CR when `error` >= 0 ... padded to 5 bytes.
QByteArray status(int error = -1);
// The identification reply (cut or padded to 37 bytes) with `model` as word 1 and `serialWord` as
// word 12 of field 2; a one-letter model and a 14-character serial word fill it exactly.
QByteArray identity(const QByteArray& model, const QByteArray& serialWord);
// A 38-byte measurement reply with `prefix` ("OK00", "\rOK05", ...).
QByteArray measurement(const Xyz& c, const QByteArray& prefix = "OK00");

void install(SerialEmulator& emu, const QByteArray& serialWord, const QList<Xyz>& colours);

} // namespace ca210emulator
