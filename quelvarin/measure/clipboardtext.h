#pragma once
// The results of every mode as one tab-separated text, for pasting into a spreadsheet.
//
// Sections in this order, each left out whole when its list is too short:
//
//   "Gray:"          gray list, 2 entries or more; its white (entry 0) is not listed
//   "Gamut:"         "Saturation:"  "ColorScale:"  "ColorChecker:"   1 entry or more
//   "ColorEBU3237:"  1 entry or more; colour difference dE u*v* instead of dE2000
//   "Free:"          1 entry or more; CCT, no colour difference
//   "Spectrum:"      1 spectrum or more
//
// Each colour section: the heading line, a column line, one row per entry. Every field is
// preceded by one tab and a row ends with "\n", so the first column stays empty:
//
//   Gray:
//   \tCCT\tX\tY\tZ\tx\ty\tu'\tv'\tL\ta\tb\tdE2000\n
//   \t6523\t45.21\t47.58\t... \t0.87\n
//
// The free column line alone ends with a tab before its line feed. L*a*b* and the colour
// differences are taken against the current colour reference, with the section's entry 0 as
// the white (Ymax) and, for gray, entry 1 (the black) as Ymin, else 0. Numbers have six
// significant digits (QString::number 'g', 6); CCT is an integer.
//
// The spectrum section: "\tMinWaveLength:380\tMaxWaveLength:780\tBandWidth:401\n" from spectrum
// 0, then one line per value index j of spectrum 0: for each spectrum "\t" value "\t", then
// "\n". A spectrum with fewer values than the first leaves its cells of the missing indices
// empty (the two tabs stay).

#include "colour/color.h"
#include "colour/spectrumdata.h"

#include <QList>
#include <QString>

struct ResultLists
{
    QList<CColor> gray;
    QList<CColor> gamut;
    QList<CColor> saturation;
    QList<CColor> colorScale;
    QList<CColor> colorChecker;
    QList<CColor> ebu;
    QList<CColor> free;
    QList<SpectrumData> spectra;
};

// The text of all sections (empty when every list is), against the current colour reference.
QString resultsClipboardText(const ResultLists& lists);
