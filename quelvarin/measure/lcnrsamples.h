#pragma once
// LCNR samples: up to 64 samples of the colour response of a display's three channels (a drive
// level and the XYZ of the red, the green and the blue channel at that level), kept in a small
// XML file and expanded into nine tables of 1024 entries indexed by a 10-bit code.
//
// The sample file (UTF-8, no XML declaration, one element per line, children indented by four
// blanks; the file opens with a line end and ends right after the root's end tag, as the stream
// writer's formatting puts it):
//
//   (empty line)
//   <LCNR>
//       <LEVEL>0.000000, 0.010000, 0.011000, 0.012000, 0.020000, ... , 0.032000</LEVEL>
//       <LEVEL>1.000000, 41.240000, 21.260000, 1.930000, 35.760000, ... , 95.050000</LEVEL>
//   </LCNR>
//
//   one LEVEL element per sample, in order; its text is ten numbers printed with "%f" and
//   joined by ", ":
//       level, RX, RY, RZ, GX, GY, GZ, BX, BY, BZ
//   no samples: the file is a line end and the empty element "<LCNR/>".
//
// Reading: the root element must be "LCNR" (case-sensitive); its LEVEL children are the
// samples. A LEVEL text is split at "," with empty parts dropped; a part that is not a finite
// number reads as 0, missing parts (fewer than ten) are 0, parts after the tenth are ignored.
// Elements of other names are skipped whole. The file is read completely into temporaries first;
// a file that is not well-formed XML, or whose root is not "LCNR", changes nothing. The samples
// of the file are appended to those held, up to 64; the ones that find no room are dropped.
//
// The table file "lcnr1.txt" (text, every field right-aligned in 10 characters, blank-filled,
// numbers in the shortest of fixed or scientific notation with up to six significant digits, no
// separator between fields; the line end is written through the same field, so it is preceded
// by nine blanks):
//
//   line 0       "        RX        RY        RZ        GX        GY        GZ        BX        BY        BZ"
//   line 1+r     entry r of the nine tables, in the same order, r = 0 .. 1023
//
// Expansion: the level of the last sample maps to code 1023 and every level to
//   code = floor(level x 1023 / last level + 0.5);
// each table is the linear interpolation of its component between the samples' codes, entry
// (code - first code). The levels must give codes between the first sample's code and 1023: the
// last level above 0, no level below 0, above the last level or giving a code below the first
// one. Otherwise nothing is built and no file is written. Entries that no segment covers are 0.

#include <QObject>
#include <QString>
#include <QVector>

class QIODevice;

// Fills out[x[i] - x[0]] by linear interpolation between the n knots (x[i], y[i]) (n >= 1),
// slope and values rounded to single precision; the last knot's value is stored exactly. A
// segment whose end does not lie above its start fills nothing. The caller guarantees that
// every x[i] - x[0] is an index of `out`. Returns 0.
int interpolateLinear(int n, const int* x, const double* y, double* out);

class DCS : public QObject
{
    Q_OBJECT

public:
    // The nine response components, in file and table order.
    enum Component { RX, RY, RZ, GX, GY, GZ, BX, BY, BZ, ComponentCount };

    static constexpr int bits = 10;               // code bit depth: codes 0 .. 1023
    static constexpr int tableSize = 1 << bits;   // entries of one table
    static constexpr int maxSamples = 64;         // samples held at most

    // One sample as it stands in a LEVEL element.
    struct Sample
    {
        double level = 0.0;
        double values[ComponentCount] = {};
    };

    explicit DCS(QObject* parent = nullptr);

    // Writes the held samples as a sample file. False (with errorString()) when the file cannot
    // be written or `count` is outside 0..64; nothing else is reported.
    bool saveSample(const QString& fileName);
    // Appends the samples of a sample file (see the layout above). False, with the samples
    // unchanged and errorString() naming the file and the line, when the file cannot be opened,
    // is not well-formed or has another root. Samples beyond room are dropped, not an error.
    bool loadSample(const QString& fileName);
    // Builds the nine tables and writes "lcnr1.txt" in the working directory. -1, with the
    // tables and the file untouched, when no sample is held or the levels cannot be expanded;
    // else 0, whether the file could be written or not.
    int buildTables();
    // The expansion alone, without the file: false (errorString() says why) when buildTables()
    // would return -1.
    bool expandTables();
    // Writes the nine tables as text. False (with errorString()) when the file cannot be written.
    bool writeTables(const QString& fileName);

    QString errorString() const { return m_error; }

    // The pieces of the above on bytes, for tests and the fuzzer.
    static QByteArray encodeSamples(const QVector<Sample>& samples);
    // Reads a whole sample file; keeps at most `room` samples in *out (the rest are counted in
    // *dropped when given). On failure *out is untouched and *error names the line and column.
    static bool decodeSamples(QIODevice* device, int room, QVector<Sample>* out,
                              QString* error = nullptr, int* dropped = nullptr);
    static bool decodeSamples(const QByteArray& bytes, int room, QVector<Sample>* out,
                              QString* error = nullptr, int* dropped = nullptr);
    // The codes of `n` levels (n in 1..64), or false with *error saying which level is refused.
    static bool sampleCodes(int n, const double* levels, int* codes, QString* error = nullptr);
    QByteArray tablesText() const;

    // The held samples: `count` of them, component c of sample i in sample[c][i].
    int count = 0;
    double sample[ComponentCount][maxSamples] = {};
    double level[maxSamples] = {};
    // The expanded response: component c at (code - first code) in table[c][code - first code].
    double table[ComponentCount][tableSize] = {};

private:
    bool countValid();

    QString m_error;
};
