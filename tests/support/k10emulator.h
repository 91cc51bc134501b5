#pragma once
// The K-10 colorimeter for the serial emulator: its replies built from values, and a standard
// instrument that identifies itself and measures a list of colours in turn.

#include "serialemulator.h"

#include <QByteArray>
#include <QList>

namespace k10emulator {

struct Xyz
{
    double x, y, z;
};

// The three packed bytes of a value >= 0 (15-bit mantissa, so about 5 significant digits).
QByteArray packValue(double v);
// The 613-byte hardware information block with `serial` (7 bytes) at offset 9.
QByteArray infoBlock(const QByteArray& serial);
// A 15-byte measurement reply.
QByteArray measurement(const Xyz& c, const QByteArray& prefix = "N5");

// Answers "\rP4\r" with the information block and every "\rN5\r" with the next colour of
// `colours` (from the first again after the last).
void install(SerialEmulator& emu, const QByteArray& serial, const QList<Xyz>& colours);

} // namespace k10emulator
