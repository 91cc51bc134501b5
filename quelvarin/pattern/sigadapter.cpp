#include "pattern/sigadapter.h"

#include "colour/lut3d.h"
#include "pattern/correctiontables.h"
#include "pattern/patterntcp.h"
#include "pattern/patternwindow.h"
#include "platform/eventwait.h"
#include "platform/guithread.h"
#include "platform/logging.h"
#include "platform/settings.h"

#include <QDebug>

#include <cmath>

namespace {

constexpr char kMeasureGroup[] = "measure";
constexpr char kSigTypeKey[] = "sigtype";
constexpr int kLocalWindow = 0;
constexpr int kPatternGenerator = 1;
constexpr int kWindowFullScale = 255;

// The generator has this long to announce its largest level after "INI"; the wait always runs
// to its end, however fast the generator answers.
constexpr int kInitReplyWaitMs = 2000;
// A colour counts as shown once the generator acknowledges it: polled up to 101 times, 50 ms
// apart, about 5 seconds in all.
constexpr int kAckPolls = 101;
constexpr int kAckPollIntervalMs = 50;

// True when the table was read; otherwise logs why its stage is skipped: a missing file is
// usual (no correction wanted), a damaged one is worth a warning naming the line.
bool tableUsable(const correctiontables::ReadError& result, const char* missingMessage, const char* stage)
{
    if (result.missing) {
        qCDebug(platform::programLog) << missingMessage;
        return false;
    }
    if (!result.error.isEmpty()) {
        qCWarning(platform::programLog).noquote() << result.error << "-" << stage << "correction skipped";
        return false;
    }
    return true;
}

int readSigType()
{
    return platform::readSetting(kMeasureGroup, kSigTypeKey, kLocalWindow).toInt();
}

// Into [0, 1]; NaN counts as 0 so no undefined value reaches the table or the output.
double clampUnit(double v)
{
    if (!(v >= 0.0))
        return 0.0;
    return v > 1.0 ? 1.0 : v;
}

// Nearest integer, halves away from zero, of a level already in [0, 1] times `scale`.
int scaleLevel(double level, int scale)
{
    return int(std::lround(clampUnit(level) * scale));
}

} // namespace

int SigAdapter::sigType = kLocalWindow;
int SigAdapter::fullScale = kWindowFullScale;
std::array<int, SigAdapter::kMaxCurveSize> SigAdapter::curveR{};
std::array<int, SigAdapter::kMaxCurveSize> SigAdapter::curveG{};
std::array<int, SigAdapter::kMaxCurveSize> SigAdapter::curveB{};
int SigAdapter::curveSize = 0;
double SigAdapter::colorMatrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
PackedLut3d* SigAdapter::patternLut = nullptr;
int SigAdapter::lutSize = 0;

SigAdapter::SigAdapter()
    : QObject(nullptr)
{
    window = new PatternWindow(nullptr);
    tcp = new PatternTcp;
    loadCorrectionTables();
}

SigAdapter::~SigAdapter()
{
    delete window;
    delete tcp;
}

void SigAdapter::loadCorrectionTables()
{
    // 3-D table first. The tables are module state: a new adapter starts from a clean chain.
    delete patternLut;
    patternLut = nullptr;
    lutSize = 0;
    std::unique_ptr<PackedLut3d> lut;
    if (tableUsable(correctiontables::read3d(correctiontables::k3dFileName, &lut), "3dcfe file open Error",
                    "3-D")) {
        lutSize = lut->size;
        patternLut = lut.release();
    }

    for (int i = 0; i < kMaxCurveSize; ++i)
        curveR[i] = curveG[i] = curveB[i] = i;
    curveSize = 0;
    correctiontables::Curves curves;
    if (tableUsable(correctiontables::read1d(correctiontables::k1dFileName, &curves), "1dcfe file open Error",
                    "1-D")) {
        for (int i = 0; i < curves.size; ++i) {
            curveR[i] = curves.red[i];
            curveG[i] = curves.green[i];
            curveB[i] = curves.blue[i];
        }
        curveSize = curves.size;
    }
}

bool SigAdapter::startPattern()
{
    bool result = false;
    platform::runOnGuiThread([&] {
        sigType = readSigType();
        if (sigType == kLocalWindow) {
            fullScale = kWindowFullScale;
            window->show();
            result = true;
            return;
        }
        if (!tcp->sendInit())
            return;
        platform::delay(kInitReplyWaitMs);
        fullScale = tcp->maxValue();
        result = fullScale != 0;
    });
    return result;
}

void SigAdapter::stopPattern()
{
    platform::runOnGuiThread([&] {
        sigType = readSigType();
        if (sigType == kLocalWindow)
            window->hide();
        else if (sigType == kPatternGenerator)
            tcp->sendExit();
    });
}

void SigAdapter::showPattern()
{
    sigType = readSigType();
    if (sigType == kLocalWindow) {
        window->setWindowFlags(Qt::WindowStaysOnTopHint);
        window->show();
    }
}

void SigAdapter::setSigType(int type)
{
    platform::writeSetting(kMeasureGroup, kSigTypeKey, type);
}

int SigAdapter::levelCount()
{
    return fullScale + 1;
}

void SigAdapter::chgPattenColor(double red, double green, double blue, int newMode, int percent)
{
    mode = newMode;
    double level[3] = {red, green, blue};

    const int n = curveSize;
    if (n > 0) {
        double corrected[3];
        for (int row = 0; row < 3; ++row) {
            corrected[row] = clampUnit(colorMatrix[row][0] * level[0] + colorMatrix[row][1] * level[1]
                                       + colorMatrix[row][2] * level[2]);
        }
        const std::array<int, kMaxCurveSize>* curves[3] = {&curveR, &curveG, &curveB};
        for (int c = 0; c < 3; ++c) {
            const int step = int(std::lround(corrected[c] * (n - 1)));
            level[c] = double((*curves[c])[step]) / (n - 1);
        }
    }

    if (patternLut) {
        // Clamped before the lookup as well: with no 1-D stage a level above 1 would otherwise
        // index past the table.
        LutRgb rgb(clampUnit(level[0]), clampUnit(level[1]), clampUnit(level[2]));
        patternLut->lookup(&rgb);
        for (int c = 0; c < 3; ++c)
            level[c] = clampUnit(rgb.rgb[c]);
    }

    r = level[0];
    g = level[1];
    b = level[2];

    // Output levels stay within what the output can show.
    const int outR = scaleLevel(r, fullScale);
    const int outG = scaleLevel(g, fullScale);
    const int outB = scaleLevel(b, fullScale);

    if (sigType == kPatternGenerator) {
        if (!tcp->sendColor(outR, outG, outB)) {
            emit tcpErrorOccured();
            return;
        }
        // The last poll comes 5000 ms after the request; the wait that follows it only delays
        // the report, so a reply arriving during it is late.
        for (int poll = 0; poll < kAckPolls; ++poll) {
            if (tcp->state() == Acknowledged)
                return;
            platform::delay(kAckPollIntervalMs);
            qCDebug(platform::programLog) << "wait response";
        }
        emit tcpErrorOccured();
        return;
    }
    window->setPatternColor(outR, outG, outB, mode, percent);
}
