#include "colour/stimuluslevels.h"

namespace {

constexpr double kSetupPercent = 7.5;        // black level with setup
constexpr double kSetupSpanPercent = 92.5;   // 100 - 7.5: the range above the pedestal
constexpr double kFirstStepWithSetup = 10.0; // first grey step above black with setup
// Above this many steps the setup series starts its grey steps at 10 %; shorter series keep
// equal steps from 0 %.
constexpr int kSetupSeriesMinSteps = 12;

double aboveSetup(double v, bool setup)
{
    if (!setup)
        return v;
    return v <= kSetupPercent ? 0.0 : (v - kSetupPercent) / (kSetupSpanPercent / 100.0);
}

} // namespace

double stepLevelPercent(int i, int n, bool setup)
{
    // Black with setup is the pedestal whatever the series' length.
    if (setup && i == 0)
        return kSetupPercent;
    // Fewer than two steps have no step size: level 0 rather than a division by zero.
    if (n < 2)
        return 0.0;
    if (setup && n >= kSetupSeriesMinSteps)
        return (i - 1.0) * (100.0 - kFirstStepWithSetup) / (n - 2.0) + kFirstStepWithSetup;
    return i * 100.0 / (n - 1.0);
}

double levelFraction(double percent, bool setup)
{
    if (!setup)
        return percent / 100.0;
    return percent <= kSetupPercent ? 0.0 : (percent - kSetupPercent) / kSetupSpanPercent;
}

StimulusLevels::StimulusLevels(double grey, bool setup, char flag)
    : StimulusLevels(grey, grey, grey, setup, flag)
{
}

StimulusLevels::StimulusLevels(double r, double g, double b, bool setup, char flag)
    : r(aboveSetup(r, setup)), g(aboveSetup(g, setup)), b(aboveSetup(b, setup)), flag(flag)
{
}
