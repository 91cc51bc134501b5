#pragma once
// The CR-100 colorimeter and CR-250 spectroradiometer for the serial emulator: a standard
// instrument with its settings lists, that measures a list of colours in turn and, as a CR-250,
// delivers a spectrum at 1 nm (401 values) or at 4 nm (101 values).

#include "serialemulator.h"

#include <QByteArray>
#include <QList>
#include <QVector>

namespace cremulator {

struct Xyz
{
    double x, y, z;
};

// A reply line "OK:0:<keyword>:<value>" CR LF.
QByteArray ok(const QByteArray& keyword, const QByteArray& value);
// A list: the "RC" reply announcing the entries, then one "<i>,<name>" line each.
QByteArray list(const QByteArray& keyword, const QList<QByteArray>& names, bool countFirstOfList = false);
// The spectrum lines of the standard instrument for colour `c`: value at nm = Y/100 * nm/780.
QByteArray spectrum(const Xyz& c, int stepNm);
float spectrumValue(const Xyz& c, double nm);

struct Options
{
    QByteArray serial = "CR12345";
    QByteArray model = "CR-250";
    int spectrumStepNm = 1;            // 1: 401 values; 4: 101 values
    QByteArray syncMode = "Manual";    // current sync mode
};

// Lists: calibration modes None/Matrix/Match (current Matrix), matrices MatA/MatB (current 1),
// match None, speeds Slow/Normal/Fast (current Normal), sync modes None/Auto/Manual, sync
// frequency 60.5 Hz within 10.0 .. 240.9 Hz; "SM" answered OK; "M", "RM XYZ" and "RM Spectrum"
// for the next colour of `colours`.
void install(SerialEmulator& emu, const Options& options, const QList<Xyz>& colours);

} // namespace cremulator
