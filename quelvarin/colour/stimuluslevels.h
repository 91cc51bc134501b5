#pragma once
// Stimulus levels in percent of full drive, with or without the 7.5 % setup (pedestal) of
// analogue video, where black sits at 7.5 % and the range above it spans 92.5 %.

// Level of step i of n equal steps, in percent. With setup, step 0 is the 7.5 % black and, for
// more than eleven steps, steps 1..n-1 run from 10 to 100 %. Other steps of fewer than two
// steps (no step size) give 0.
double stepLevelPercent(int i, int n, bool setup);

// Drive fraction 0..1 of a level in percent; with setup, 7.5 % and below is 0.
double levelFraction(double percent, bool setup);

// Three levels in percent and a flag byte carried for the caller. With setup each level v is
// taken above the pedestal: 0 for v <= 7.5, else (v - 7.5) / 0.925.
struct StimulusLevels
{
    StimulusLevels(double grey, bool setup, char flag);
    StimulusLevels(double r, double g, double b, bool setup, char flag);

    double r;
    double g;
    double b;
    char flag;
};
