#pragma once
// Monitor calibration: how the display answers to drive levels (a measured 16 x 16 x 16 cube, or
// three measured channel ramps and the additive model built from them), inverted into one 3-D
// lookup table of 17 points per axis for each chosen colour space (HDTV Rec709, DCI P3, UHDTV
// BT2020). A node of an output table holds the drive levels (0..1) the display must get to show
// the colour that the space prescribes for the node's input levels (a/16, b/16, c/16).
//
// Each colour space is built against its own colour reference, installed for the calibrating
// thread only (ScopedThreadColorReference): the reference that the windows show is never
// replaced. The searches run on every core; they return exactly what the straightforward scan
// in order returns (see luvcube.h).
//
// The measured cube, the three output tables and the choice of colour spaces are process-wide:
// the options dialog sets the choice, the measurement drivers fill the cube, the LUT export
// reads the output tables. The worker thread alone touches the tables, and only during a run.

#include "colour/color.h"
#include "colour/colorreference.h"
#include "colour/lut3d.h"
#include "measure/luvcube.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// The calibration's trace: thousands of lines a run (every patch, every node), so shown only
// when switched on, e.g. QT_LOGGING_RULES="quelvarin.calibrate.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCalibrate)

// One gray-balance record of the one-dimensional path: four measured colours around a gray
// level (red and blue each two codes below and above it, green at the level), and the solution.
struct Point1D
{
    CColor lowLow;
    CColor lowHigh;
    CColor highLow;
    CColor highHigh;
    double level = 0.0;  // the centre code; after getPointLut the green drive (code / 255)
    double red = 0.0;
    double blue = 0.0;
    double luminance = 0.0;
};

class CalibrateMonitor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kCubePoints = 16;       // measured cube, per axis
    static constexpr int kResamplePoints = 100;  // resampled cube, per axis
    static constexpr int kLutPoints = 17;        // output tables, per axis
    static constexpr int kRampSteps = 30;        // measured steps of each channel ramp
    static constexpr int kCodes = 256;           // codes of a regridded channel and model axis
    // Chroma weights of the two builders: w = k Lt^2.
    static constexpr double kCubeChromaWeight = 20.0;
    static constexpr double kFastChromaWeight = 169.0;

    // One chosen colour space.
    struct Space
    {
        ColorStandard standard;
        WhitePoint white;
        double gamma;
        const char* fileBase;  // "HDTV", "DCIP3", "UHDTV"
        int row;               // row of the node table handed to the .3dlut writer
    };
    // HDTV, DCI P3, UHDTV, in the order they are built and written.
    static const Space kSpaces[3];

    // Allocates the measured cube, the resampled cube and the three output tables afresh (the
    // output tables as identity). isAllocated() says whether that succeeded.
    CalibrateMonitor();
    ~CalibrateMonitor() override;
    bool isAllocated() const { return m_allocated; }

    // The colour spaces chosen (only the options dialog sets them).
    static std::atomic<bool> rec709;
    static std::atomic<bool> dci;
    static std::atomic<bool> rec2020;
    static bool hasTarget();
    static Lut3d* outputLut(int spaceIndex);

    // The measured values.
    void setNodeColor(int row, int node, const CColor& c);
    void setCubeNode(int r, int g, int b, const CColor& c);

    // What the measured readings say before anything is built from them: a display answers
    // each channel's ramp with a rise in that channel's own component (X red, Y green, Z blue)
    // far beyond the ramp's own scatter, its white is brighter than its black, and the three
    // primaries are clearly different colours. An instrument that is not on the pattern (or
    // returns one reading whatever is shown) gives none of that.
    enum class Readings
    {
        Display,
        Failed,     // a reading is the null colour or not finite
        Unchanging, // the readings do not follow the patches
    };
    Readings checkRamps() const;  // the three measured ramps (before prepareRamps)
    static Readings checkCube();  // the measured cube

    // Builds the output table of every chosen colour space from the cube / from the ramps.
    // False only when a large table cannot be allocated (nothing is built then).
    bool doCalibrate3D();
    bool doCalibrateFast3D();

    // The cube builder of one colour space, against the current reference of this thread.
    void calibrate3D(Lut3d* lut);

    // The ramp builder's steps.
    void prepareRamps();
    void regridChannel(int row);
    bool buildModelTable();
    bool searchAll(const CColor& target, int* r, int* g, int* b) const;
    bool searchNear(const CColor& target, int r0, int g0, int b0, int* r, int* g, int* b) const;
    static void cornerGuess(const Lut3d* lut, double u, double v, double w, int* r, int* g, int* b);
    void calibrateFast3D(Lut3d* lut);

    // The target of drive levels in L*, u', v' with the given chroma weight, against `ref`
    // with luminance from blackY to peakY (what both builders search for).
    static LuvTarget targetOf(const std::shared_ptr<const ColorReference>& ref, double r,
                              double g, double b, double blackY, double peakY,
                              double chromaWeight);
    // L*, u', v' of X, Y, Z against the white of `ref` scaled to Yn (as CColor::toLab and
    // CColor::toupvpY give them).
    static void luvOf(const ColorReference& ref, double X, double Y, double Z, double Yn,
                      double out[3]);

    // The one-dimensional path (nothing in the program starts it).
    static void toMonitorRgb(LutRgb* rgb, ColorStandard standard);
    void targetColor(int node, LutRgb* rgb, ColorStandard standard) const;
    void setNodeValue(int node, double value, ColorStandard standard);
    void buildChromaGrid(const Point1D& p);
    void getPointLut(Point1D& p);
    void doCalibrateCCT(ColorStandard standard);
    void doCalibrateGamma(ColorStandard standard);
    // Fills the measured cube from a text file of 4096 lines "X,Y,Z" (blue fastest); the cube
    // changes only when every line is valid. False, with a warning, otherwise.
    bool readFile(const QString& path = QStringLiteral("D:/cube.csv"));
    static void releaseLuts();

    // Writes "<base>.cube" (and "<base>.3dlut" when calibrate/lut3d is set) of every chosen
    // colour space into calibrate/savedir. Every file is written to a temporary file first and
    // all are put in place together at the end; on any failure none is, and *error names the
    // file that failed.
    bool dumpLutFiles(QString* error);

    // State read by the tests and the LUT writers.
    static Lut3d measuredCube;
    static Lut3d lutHdtv;
    static Lut3d lutDcip3;
    static Lut3d lutUhdtv;
    const LuvCube& resampledCube() const { return m_resampled; }
    const LuvCube& modelTable() const { return m_model; }
    double nodeTable[3][kCodes][4] = {};
    QList<Point1D> pointList;
    double blackX = 0.0;
    double blackY = 0.0;
    double blackZ = 0.0;
    double peakY = 0.0;

private:
    static int rowOf(ColorStandard standard);
    bool searchAllLuv(const LuvTarget& t, int rgb[3]) const;
    bool searchNearLuv(const LuvTarget& t, int r0, int g0, int b0, int rgb[3]) const;
    LuvTarget fastTarget(const CColor& target) const;

    bool m_allocated = false;
    LuvCube m_resampled;
    LuvCube m_model;
    std::vector<double> m_chromaGrid;  // 500 x 500 x 3, the one-dimensional path only
};
