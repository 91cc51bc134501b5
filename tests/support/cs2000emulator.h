#pragma once
// The CS-2000 spectroradiometer for the serial emulator: its replies built from values, and a
// standard instrument that identifies itself, announces a measuring time, ends the measurement
// by itself and delivers a list of colours in turn with their spectra.

#include "serialemulator.h"

#include <QByteArray>
#include <QList>
#include <QVector>

namespace cs2000emulator {

struct Xyz
{
    double x, y, z;
};

// "OK00" CR LF, or "ER<nn>" CR LF (6 bytes).
QByteArray status(int error = -1);
// "OK00,<sss>" CR LF (10 bytes).
QByteArray measureReply(int seconds);
// "OK00,CS-2000,V1,<serialItem>" CR LF: 26 bytes for an 8-byte serial item.
QByteArray identity(const QByteArray& serialItem);
// "OK00,<X>,<Y>,<Z>" CR LF, 36 bytes (values >= 0 written as %.3e).
QByteArray colorimetric(const Xyz& c);
// Block 1..4 of a 401-value spectrum: "OK00," and 100 (block 4: 101) values, CR LF.
QByteArray block(int number, const QVector<float>& spectrum);
// The spectrum the standard instrument delivers with colour `c`: Y/100 * (1 + i/400).
QVector<float> spectrumOf(const Xyz& c);

// Remote on/off, identification with `serialItem`, "MEAS,1" answered with `seconds` and, after
// `endDelayMs`, the end of the measurement; the values and spectrum of the next colour of
// `colours` (in turn, from the first again after the last); "MEAS,0" acknowledged.
void install(SerialEmulator& emu, const QByteArray& serialItem, const QList<Xyz>& colours, int seconds = 1,
             int endDelayMs = 0);

} // namespace cs2000emulator
