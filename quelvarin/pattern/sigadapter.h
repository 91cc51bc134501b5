#pragma once
// SigAdapter: the single place through which the measurement engine shows a test colour. It owns
// the local pattern window and the pattern-generator client, chooses between them by the setting
// measure/sigtype (0 window, 1 generator), and passes every colour through the correction chain
// (matrix, three 1-D curves from "test1d.cfe", a 3-D table from "test3d.cfe") before it scales it
// to the output's full scale.
//
// The adapter, its window and its client live on the GUI thread. The engine's worker thread
// reaches chgPattenColor through a blocking queued connection; startPattern() and stopPattern()
// may be called from any thread and run on the GUI thread while the caller waits.

#include <QObject>

#include <array>
#include <memory>

class PackedLut3d;
class PatternTcp;
class PatternWindow;

class SigAdapter : public QObject
{
    Q_OBJECT

public:
    // No parent. Creates the window and the client, then loads "test3d.cfe" and "test1d.cfe"
    // from the working directory (a missing or damaged file is logged and its stage skipped).
    SigAdapter();
    ~SigAdapter() override;

    // Opens the output before a sequence. Window: full scale 255, shows it, true. Generator:
    // sends INI (false at once when not connected), waits 2000 ms processing events, takes the
    // announced maximum as full scale; true when it is non-zero.
    bool startPattern();
    // Closes the output after a sequence: hides the window, or sends EXT to the generator.
    void stopPattern();
    // Shows the window (stay-on-top) when the local output is chosen.
    void showPattern();

    static void setSigType(int type); // writes measure/sigtype
    static int levelCount();          // fullScale + 1

    // Levels of the colour last sent, after correction and before scaling (0 until the first).
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    PatternWindow* window = nullptr; // owned
    PatternTcp* tcp = nullptr;       // owned
    int mode = 0;                    // MeasureMode of the colour last requested

    // Module state (one adapter per program).
    static int sigType;   // output chosen at the last read of measure/sigtype
    static int fullScale; // largest output level
    static constexpr int kMaxCurveSize = 1024;
    static std::array<int, kMaxCurveSize> curveR;
    static std::array<int, kMaxCurveSize> curveG;
    static std::array<int, kMaxCurveSize> curveB;
    static int curveSize;       // entries in use; 0 = no 1-D stage
    static double colorMatrix[3][3];
    static PackedLut3d* patternLut; // null = no 3-D stage
    static int lutSize;

public slots:
    // Corrects one colour (levels 0..1) and shows it, or sends it and waits for the generator's
    // acknowledgement (up to 101 polls 50 ms apart). `percent` is the sequence's progress.
    void chgPattenColor(double r, double g, double b, int mode, int percent);

signals:
    // The generator did not take or did not acknowledge a colour.
    void tcpErrorOccured();

private:
    void loadCorrectionTables();
};
