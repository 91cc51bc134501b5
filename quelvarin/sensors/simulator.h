#pragma once
// Simulator: a sensor driver without an instrument, so every sequence can run on a machine with
// nothing attached. For a test colour it answers what the current colour reference expects for
// the levels the signal adapter shows, with about one per cent of noise; in free measurement it
// answers the colours of nine stored spectra in turn and delivers the spectrum too.
//
// The colour-matching functions and the nine spectra come from "spec.csv" in the working
// directory (layout in simulator.cpp); the table and the turn of the spectra are shared by every
// simulator of the program.

#include "sensors/sensor.h"

class QIODevice;
class SigAdapter;

class Simulator : public CSensor
{
    Q_OBJECT

public:
    // `adapter` is read for the levels and the mode shown, and becomes the Qt parent. Loads
    // "spec.csv" from the working directory (a missing file is logged; the table keeps what it
    // held).
    explicit Simulator(SigAdapter* adapter);

    bool init() override;        // connected, true; touches no file or device
    int startMeasure() override; // kStartMeasureTag; measureDelay stays as it is
    void stopMeasure() override; // nothing to stop
    CColor GetColor() override;  // see simulator.cpp; takes kReadingTimeMs

    // Table geometry: one row per nm from 380 to 780; columns xbar, ybar, zbar, then the spectra.
    static constexpr int kSpecRows = 401;
    static constexpr int kSpecColumns = 12;
    static constexpr int kSpectrumCount = 9;
    static constexpr int kFirstSpectrumColumn = 3;
    static constexpr int kFirstNm = 380;
    static constexpr int kLastNm = 780;

    // The value startMeasure returns; no caller uses it.
    static constexpr int kStartMeasureTag = 1236;
    // How long one reading takes, like a slow colorimeter (ms, processing events).
    static constexpr int kReadingTimeMs = 1000;
    // The adapter's mode number of free measurement.
    static constexpr int kFreeMode = 5;
    // Luminance range of the simulated display (cd/m2).
    static constexpr double kWhiteLuminance = 100.0;
    static constexpr double kBlackLuminance = 0.0;

    // Reads `fileName` into specTable (layout in simulator.cpp). False, with the warning
    // "Spec file open Error", when it cannot be opened; the table then keeps its contents.
    static bool loadSpecTable(const QString& fileName);
    // The same from an open device (`fileName` names it in the messages).
    static void readSpecTable(QIODevice& file, const QString& fileName);

    // Shared by all simulators, zero at program start.
    static double specTable[kSpecRows][kSpecColumns];
    // Which of the nine spectra the next free reading uses.
    static int freeIndex;

    SigAdapter* adapter; // not owned (it is the parent)
};
