#pragma once
// CColor: a CIE 1931 tristimulus value X, Y, Z held as a 3×1 Matrix, plus the stimulus levels
// of the test pattern that produced it. Conversions return or fill the same type; which quantity
// a value holds (xyY, u'v'Y, L*a*b*, linear RGB) is known only from where it came from.

#include "colour/matrix.h"

#include <QMetaType>

class ColorReference;

class CColor : public Matrix
{
public:
    CColor();                                // (1, 1, 1)
    CColor(double X, double Y, double Z);
    CColor(double x, double y);              // chromaticity x, y at luminance Y = 1
    CColor(const Matrix& m);                 // the elements of a 3×1 matrix
    CColor(const CColor& other);             // copies X, Y, Z and the levels
    // Copies X, Y, Z only: the levels of this colour stay as they were. Copy-construct to move
    // a measured colour together with its levels.
    CColor& operator=(const CColor& other);

    // Component i (0 X, 1 Y, 2 Z); other indices are reported by Matrix.
    double& operator[](int i);
    double operator[](int i) const;
    double getY() const;
    void setXYZ(const CColor& c);

    // Conversions returning a new value (its levels carry no meaning). The reference-bound ones
    // read the current colour reference once per call; the overloads taking a reference use it.
    CColor toxyY() const;
    CColor toupvpY() const;
    CColor toRGB() const;
    CColor toRGB(const ColorReference& ref) const;
    CColor chromaRGB() const;
    CColor chromaRGB(const ColorReference& ref) const;
    CColor toLab(double Yn) const;
    CColor toLab(double Yn, const ColorReference& ref) const;
    CColor toLCh(double Yn) const;
    CColor toLCh(double Yn, const ColorReference& ref) const;
    static CColor xyzToLab(double X, double Y, double Z, double Xn, double Yn, double Zn);

    // Conversions overwriting this colour's X, Y, Z from a source value (levels untouched).
    void fromxyY(const CColor& s);
    void fromupvpY(const CColor& s);
    void fromRGB(const CColor& s);
    void fromRGB(const CColor& s, const ColorReference& ref);
    void fromLab(const CColor& s);
    void fromLab(const CColor& s, const ColorReference& ref);

    double GetLightness(double Yn) const;
    double xyDistance(const CColor& other) const;

    // Colour differences and target colours.
    static void referenceWhite(double Yn, CColor& out);
    void GetTarget(double Ymax, double Ymin, CColor& out) const;
    double GetDeltaE2000(double Ymax, double Ymin) const;
    double GetDeltaEuvTarget(double Ymax, double Ymin) const;
    static double deltaE2000XYZ(double X1, double Y1, double Z1, double X2, double Y2, double Z2,
                                double Yn);
    static double deltaE2000Lab(const CColor& lab1, const CColor& lab2);
    double GetDeltaEuv(double Yn, const CColor& other, double otherYn) const;
    double GetDeltaEuvWhite(double Yn) const;
    static double deltaEuvAgainst(const CColor& a, const CColor& b, const CColor& w);
    static double deltaEuvFromWhite(const CColor& a, const CColor& b);
    double chromaUv(double Yn) const;
    double GetDeltauv(double Yn, const CColor& ref, double refYn) const;
    double uvProduct(const CColor& other) const;

    // Correlated colour temperature.
    static int robertsonCCT(const double xyz[3], double* cct);
    int GetCCT() const;

    // Instrument correction matrix from measured and reference primaries (columns) and whites.
    static Matrix correctionMatrix(const Matrix& measured, const Matrix& reference,
                                   const CColor& measuredWhite, const CColor& referenceWhite);

    // Stimulus levels (0..1 of full drive) of the pattern that produced this colour.
    double levelR = 0.0;
    double levelG = 0.0;
    double levelB = 0.0;

    // For the program's compile-time constants only (see Matrix::ConstantStorageTag).
    constexpr CColor(ConstantStorageTag tag, double** rowStorage) noexcept
        : Matrix(tag, rowStorage, 3, 1)
    {
    }

private:
    bool isNull() const;
};

// The null colour: X = Y = Z = -99999.99, the mark of a failed or missing measurement. It is a
// compile-time constant (constant-initialised), so other globals may use it during start-up.
extern const CColor nullColor;

// Registers CColor for queued signal arguments under the name "CColor". Idempotent; it also
// runs by itself when the QCoreApplication is constructed.
void registerColorMetaType();

Q_DECLARE_METATYPE(CColor)
