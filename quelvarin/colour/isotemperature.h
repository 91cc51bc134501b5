#pragma once
// Robertson's isotemperature lines in the CIE 1960 UCS (u, v) diagram, shared by everything in
// the system that rates a chromaticity by correlated colour temperature.
//
// Source: A. R. Robertson, "Computation of correlated color temperature and distribution
// temperature", JOSA 58 (1968); also Wyszecki & Stiles, Color Science, table 1(3.11).
// Each line crosses the Planckian locus at (u, v) with slope t; r is its reciprocal temperature
// in K^-1. Line 19 keeps u = 0.24702, the value this system has always computed with (other
// printings of the table give 0.24792), so temperatures stay comparable with earlier results.

#include <cfloat>

namespace isotemperature {

struct Line
{
    double u; // CIE 1960 u on the Planckian locus
    double v; // CIE 1960 v on the Planckian locus
    double t; // slope of the isotemperature line
    double r; // reciprocal temperature, K^-1
};

constexpr int kLineCount = 31;

// The first line stands for infinite temperature; its reciprocal is the smallest normal double
// instead of 0 so that a point on it still yields a (huge) finite temperature.
inline constexpr Line kLines[kLineCount] = {
    {0.18006, 0.26352, -0.24341, DBL_MIN},
    {0.18066, 0.26589, -0.25479, 10e-6},
    {0.18133, 0.26846, -0.26876, 20e-6},
    {0.18208, 0.27119, -0.28539, 30e-6},
    {0.18293, 0.27407, -0.30470, 40e-6},
    {0.18388, 0.27709, -0.32675, 50e-6},
    {0.18494, 0.28021, -0.35156, 60e-6},
    {0.18611, 0.28342, -0.37915, 70e-6},
    {0.18740, 0.28668, -0.40955, 80e-6},
    {0.18880, 0.28997, -0.44278, 90e-6},
    {0.19032, 0.29326, -0.47888, 100e-6},
    {0.19462, 0.30141, -0.58204, 125e-6},
    {0.19962, 0.30921, -0.70471, 150e-6},
    {0.20525, 0.31647, -0.84901, 175e-6},
    {0.21142, 0.32312, -1.0182, 200e-6},
    {0.21807, 0.32909, -1.2168, 225e-6},
    {0.22511, 0.33439, -1.4512, 250e-6},
    {0.23247, 0.33904, -1.7298, 275e-6},
    {0.24010, 0.34308, -2.0637, 300e-6},
    {0.24702, 0.34655, -2.4681, 325e-6},
    {0.25591, 0.34951, -2.9641, 350e-6},
    {0.26400, 0.35200, -3.5814, 375e-6},
    {0.27218, 0.35407, -4.3633, 400e-6},
    {0.28039, 0.35577, -5.3762, 425e-6},
    {0.28863, 0.35714, -6.7262, 450e-6},
    {0.29685, 0.35823, -8.5955, 475e-6},
    {0.30505, 0.35907, -11.324, 500e-6},
    {0.31320, 0.35968, -15.628, 525e-6},
    {0.32129, 0.36011, -23.325, 550e-6},
    {0.32931, 0.36038, -40.770, 575e-6},
    {0.33724, 0.36051, -116.45, 600e-6},
};

} // namespace isotemperature
