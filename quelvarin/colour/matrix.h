#pragma once
// Dense matrix of doubles: the arithmetic of every colour value, conversion matrix and sensor
// correction. A plain value type with deep copies; errors are reported through ErrorMsg, never
// thrown, and an operation never reads or writes outside its operands.

#include <iosfwd>

#include <QString>

class QDataStream;

// Some C libraries define minor() as a macro (device numbers); it would mangle Matrix::minor.
#ifdef minor
#undef minor
#endif

// Logs `message` on the debug channel. With `fatal` set it also asks the application's main
// event loop to end with return code -1; from another thread that request is queued to the main
// thread. A request that finds no event loop running on the main thread (before the application
// runs its loop, or in a test without one) is dropped. Returns to the caller in every case.
void ErrorMsg(const QString& message, bool fatal);

class Matrix
{
public:
    Matrix();
    Matrix(double init, int rows, int cols);           // note: value first, then the size
    Matrix(const double* values, int rows, int cols);  // flat row-major array
    Matrix(double** values, int rows, int cols);       // array of row pointers
    Matrix(double (*fn)(double, double), int rows, int cols);
    Matrix(const Matrix& other);
    Matrix& operator=(const Matrix& other);
    Matrix(Matrix&& other) noexcept;             // leaves `other` empty
    Matrix& operator=(Matrix&& other) noexcept;
    ~Matrix();

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }

    bool operator==(const Matrix& other) const;
    bool operator!=(const Matrix& other) const { return !(*this == other); }
    bool isIdentity() const;
    bool isZero() const;

    // Row access: m[r][c]. A row outside the matrix is reported and yields a zeroed scratch row.
    double* operator[](int r);
    const double* operator[](int r) const;
    // Element access. An index outside the matrix is reported and yields a scratch cell.
    double& operator()(int r, int c);
    double operator()(int r, int c) const;

    Matrix operator+(const Matrix& b) const;
    Matrix& operator+=(const Matrix& b);
    Matrix operator-(const Matrix& b) const;
    Matrix& operator-=(const Matrix& b);
    Matrix operator*(const Matrix& b) const;
    Matrix& operator*=(const Matrix& b);
    Matrix operator*(double d) const;
    Matrix& operator*=(double d);
    Matrix operator*(int n) const;
    Matrix& operator*=(int n);
    Matrix operator/(double d) const;
    Matrix& operator/=(double d);
    Matrix operator/(int n) const;
    Matrix& operator/=(int n);
    Matrix operator/(const Matrix& b) const;  // this × b⁻¹
    Matrix& operator/=(const Matrix& b);

    Matrix timesTranspose() const;  // A × Aᵀ
    Matrix& timesTransposeInPlace();
    static Matrix identity(int n);
    Matrix transpose() const;
    Matrix& transposeInPlace();

    double det() const;
    Matrix inverse() const;
    Matrix& invert();
    Matrix echelon() const;
    Matrix reducedEchelon() const;
    Matrix minor(int r, int c) const;
    Matrix subMatrix(int r0, int c0, int nRows, int nCols) const;
    Matrix& subMatrixInPlace(int r0, int c0, int nRows, int nCols);

    Matrix& divideRow(int r, double d);
    Matrix& divideCol(int c, double d);
    Matrix& scaleRow(int r, double k);
    Matrix& scaleCol(int c, double k);
    Matrix& addRowMultiple(int src, int dst, double k);
    Matrix& addColMultiple(int src, int dst, double k);
    Matrix& swapRows(int i, int j);
    Matrix& swapCols(int i, int j);
    Matrix& clear();
    Matrix& clearRow(int r);
    Matrix& clearCol(int c);
    Matrix& fill(double v);
    Matrix& fillRow(int r, double v);
    Matrix& fillCol(int c, double v);
    Matrix& generate(double (*fn)(double, double));

    Matrix& appendRow(const double* values);
    Matrix& appendCol(const double* values);
    Matrix& insertRow(const double* values, int pos);
    Matrix& insertCol(const double* values, int pos);
    Matrix& removeRow(int r);
    Matrix& removeCol(int c);
    Matrix& concatRows(const Matrix& b);
    Matrix& concatCols(const Matrix& b);
    Matrix concatenatedRows(const Matrix& b) const;  // leaves this matrix unchanged
    Matrix concatenatedCols(const Matrix& b) const;

    double sum() const;
    double sumSquared() const;  // the square of the sum
    double rowSum(int r) const;
    double colSum(int c) const;
    double rowSumSquared(int r) const;
    double colSumSquared(int c) const;
    double max() const;  // NaN for an empty matrix
    double min() const;
    double rowMax(int r) const;
    double rowMin(int r) const;
    double colMax(int c) const;
    double colMin(int c) const;
    void minMax(double& lo, double& hi) const;
    void rowMinMax(double& lo, double& hi, int r) const;
    void colMinMax(double& lo, double& hi, int c) const;
    double range() const;
    double rowRange(int r) const;
    double colRange(int c) const;
    Matrix& normalize(double lo, double hi);
    Matrix normalized(double lo, double hi) const;
    Matrix& sortAscending();
    Matrix& sortDescending();

    double* toArray() const;    // new[] rows·cols doubles, row-major; the caller delete[]s it
    double** to2DArray() const; // new[] row pointers to new[] rows; the caller deletes all

    void print() const;
    void print(std::ostream& out) const;
    void printLabelled(std::ostream& out) const;
    // Both readers leave the matrix unchanged and set the stream's failbit on malformed input.
    std::istream& read(std::istream& in);
    std::istream& readLabelled(std::istream& in);

    // For the program's compile-time constants (nullColor, whitePoints): a matrix over static
    // storage that it neither owns nor frees. Such a matrix must be const.
    struct ConstantStorageTag {};
    constexpr Matrix(ConstantStorageTag, double** rowStorage, int rows, int cols) noexcept
        : m_data(rowStorage), m_cols(cols), m_rows(rows), m_owned(false)
    {
    }

private:
    void allocate(int rows, int cols);
    void release();
    bool rowInRange(int r) const { return r >= 0 && r < m_rows; }
    bool colInRange(int c) const { return c >= 0 && c < m_cols; }
    // As above, reporting an index outside the matrix.
    bool checkRow(int r) const;
    bool checkCol(int c) const;

    double** m_data = nullptr;
    int m_cols = 0;
    int m_rows = 0;
    bool m_owned = true;
};

std::ostream& operator<<(std::ostream& out, const Matrix& m);

// Binary stream form (sensor profiles): rows, cols as qint32, then the elements as doubles,
// row-major. See matrixio.cpp for the layout and the checks made while reading.
QDataStream& operator<<(QDataStream& out, const Matrix& m);
QDataStream& operator>>(QDataStream& in, Matrix& m);
