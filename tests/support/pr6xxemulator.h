#pragma once
// The PR-6xx spectroradiometer for the serial emulator: its replies built from values, and a
// standard instrument that identifies itself as a model and measures a list of colours in turn,
// with light and dark spectral lists.

#include "serialemulator.h"

#include <QByteArray>
#include <QList>
#include <QVector>

namespace pr6xxemulator {

struct Xyz
{
    double x, y, z;
};

// "00000," + text + CR LF, padded with blanks inside the text to `length` bytes.
QByteArray textReply(const QByteArray& text, int length);
// "00000,0,X,Y,Z" CR LF padded to 39 bytes; or a status alone ("-0008" CR LF) when not 0.
QByteArray measurement(const Xyz& c, int status = 0);
// The 8-byte header and one 7-byte line ("%5.3f" CR LF) per value.
QByteArray list(const QVector<float>& values);
// Light and dark lists of the standard instrument for colour `c`: dark 0.1 everywhere, light
// 0.1 + Y/100 * (1 + i / lines).
QVector<float> darkList(int lines);
QVector<float> lightList(const Xyz& c, int lines);

// "PHOTO", "SU1", "SE0" acknowledged, "D110" gives `serial`, "D111" gives `model`, each "M2" the
// next colour of `colours` and "D9"/"D8" its lists of the model's line count.
void install(SerialEmulator& emu, const QByteArray& serial, const QByteArray& model, const QList<Xyz>& colours);

} // namespace pr6xxemulator
