#include "colour/matrix.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Error reporting

namespace {

// Ends the main event loop with -1. QCoreApplication::exit() with no loop running would latch
// a "quit now" flag that makes the next nested loop (a dialog's exec, a wait) return at once
// without ending anything, so the request is only made while the main thread runs a loop.
void requestApplicationExit()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && app->thread()->loopLevel() > 0)
        QCoreApplication::exit(-1);
}

} // namespace

void ErrorMsg(const QString& message, bool fatal)
{
    qCDebug(platform::programLog) << message;
    if (!fatal)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        requestApplicationExit();
    else
        QMetaObject::invokeMethod(app, &requestApplicationExit, Qt::QueuedConnection);
}

namespace {

const char* const kRowIndexError = "out-of-bound index";
const char* const kElementIndexError = "out-of-bounds index";

void matrixError(const char* message)
{
    ErrorMsg(QString::fromLatin1(message), true);
}

// After an index error the caller gets a harmless cell (or row) of its own thread, zeroed on
// every hand-out, instead of memory outside the matrix.
double& scratchCell()
{
    thread_local double cell = 0.0;
    cell = 0.0;
    return cell;
}

double* scratchRow(int cols)
{
    thread_local std::vector<double> row;
    row.assign(static_cast<size_t>(std::max(cols, 1)), 0.0);
    return row.data();
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

// ---------------------------------------------------------------------------------------------
// Storage

void Matrix::allocate(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    double** data = nullptr;
    if (rows > 0) {
        data = new double*[static_cast<size_t>(rows)]();
        try {
            for (int r = 0; r < rows; ++r)
                data[r] = new double[static_cast<size_t>(cols)]();
        } catch (...) {
            for (int r = 0; r < rows; ++r)
                delete[] data[r];
            delete[] data;
            throw;
        }
    }
    m_data = data;
    m_rows = rows;
    m_cols = cols;
    m_owned = true;
}

void Matrix::release()
{
    if (m_owned && m_data) {
        for (int r = 0; r < m_rows; ++r)
            delete[] m_data[r];
        delete[] m_data;
    }
    m_data = nullptr;
    m_rows = 0;
    m_cols = 0;
    m_owned = true;
}

Matrix::Matrix() = default;

Matrix::Matrix(double init, int rows, int cols)
{
    allocate(rows, cols);
    fill(init);
}

Matrix::Matrix(const double* values, int rows, int cols)
{
    allocate(rows, cols);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = values[static_cast<size_t>(r) * m_cols + c];
}

Matrix::Matrix(double** values, int rows, int cols)
{
    allocate(rows, cols);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = values[r][c];
}

Matrix::Matrix(double (*fn)(double, double), int rows, int cols)
{
    allocate(rows, cols);
    generate(fn);
}

Matrix::Matrix(const Matrix& other)
{
    allocate(other.m_rows, other.m_cols);
    for (int r = 0; r < m_rows; ++r)
        std::copy(other.m_data[r], other.m_data[r] + m_cols, m_data[r]);
}

Matrix& Matrix::operator=(const Matrix& other)
{
    if (this == &other)
        return *this;
    Matrix copy(other);  // build first: a failed allocation leaves this matrix as it was
    release();
    std::swap(m_data, copy.m_data);
    std::swap(m_rows, copy.m_rows);
    std::swap(m_cols, copy.m_cols);
    std::swap(m_owned, copy.m_owned);
    return *this;
}

Matrix::Matrix(Matrix&& other) noexcept
    : m_data(other.m_data), m_cols(other.m_cols), m_rows(other.m_rows), m_owned(other.m_owned)
{
    other.m_data = nullptr;
    other.m_rows = 0;
    other.m_cols = 0;
    other.m_owned = true;
}

Matrix& Matrix::operator=(Matrix&& other) noexcept
{
    if (this == &other)
        return *this;
    release();
    std::swap(m_data, other.m_data);
    std::swap(m_rows, other.m_rows);
    std::swap(m_cols, other.m_cols);
    std::swap(m_owned, other.m_owned);
    return *this;
}

Matrix::~Matrix()
{
    release();
}

// ---------------------------------------------------------------------------------------------
// Comparison and access

bool Matrix::operator==(const Matrix& other) const
{
    if (m_rows != other.m_rows || m_cols != other.m_cols)
        return false;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            if (!(m_data[r][c] == other.m_data[r][c]))
                return false;
    return true;
}

bool Matrix::isIdentity() const
{
    if (m_rows != m_cols)
        return false;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            if (!(m_data[r][c] == (r == c ? 1.0 : 0.0)))
                return false;
    return true;
}

bool Matrix::isZero() const
{
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            if (!(m_data[r][c] == 0.0))
                return false;
    return true;
}

double* Matrix::operator[](int r)
{
    if (!checkRow(r))
        return scratchRow(m_cols);
    return m_data[r];
}

const double* Matrix::operator[](int r) const
{
    if (!checkRow(r))
        return scratchRow(m_cols);
    return m_data[r];
}

double& Matrix::operator()(int r, int c)
{
    if (r >= m_rows || c >= m_cols) {
        matrixError(kElementIndexError);
        return scratchCell();
    }
    if (r < 0 || c < 0) {
        matrixError(kElementIndexError);
        return scratchCell();
    }
    return m_data[r][c];
}

double Matrix::operator()(int r, int c) const
{
    if (r >= m_rows || c >= m_cols) {
        matrixError(kElementIndexError);
        return 0.0;
    }
    if (r < 0 || c < 0) {
        matrixError(kElementIndexError);
        return 0.0;
    }
    return m_data[r][c];
}

// ---------------------------------------------------------------------------------------------
// Arithmetic. After a size mismatch the left operand is returned unchanged (a product yields
// zeros of the product's shape).

Matrix Matrix::operator+(const Matrix& b) const
{
    if (m_rows != b.m_rows || m_cols != b.m_cols) {
        matrixError("mismatched matrices in addition");
        return *this;
    }
    Matrix result(*this);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c] += b.m_data[r][c];
    return result;
}

Matrix& Matrix::operator+=(const Matrix& b)
{
    return *this = *this + b;
}

Matrix Matrix::operator-(const Matrix& b) const
{
    if (m_rows != b.m_rows || m_cols != b.m_cols) {
        matrixError("mismatched matrices in subtraction");
        return *this;
    }
    Matrix result(*this);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c] -= b.m_data[r][c];
    return result;
}

Matrix& Matrix::operator-=(const Matrix& b)
{
    return *this = *this - b;
}

Matrix Matrix::operator*(const Matrix& b) const
{
    if (m_cols != b.m_rows) {
        matrixError("mismatched matrices in multiplication");
        return Matrix(0.0, m_rows, b.m_cols);
    }
    Matrix result(0.0, m_rows, b.m_cols);
    for (int i = 0; i < m_rows; ++i)
        for (int j = 0; j < b.m_cols; ++j) {
            double s = 0.0;
            for (int k = 0; k < m_cols; ++k)
                s += m_data[i][k] * b.m_data[k][j];
            result.m_data[i][j] = s;
        }
    return result;
}

Matrix& Matrix::operator*=(const Matrix& b)
{
    return *this = *this * b;
}

Matrix Matrix::operator*(double d) const
{
    Matrix result(*this);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c] *= d;
    return result;
}

Matrix& Matrix::operator*=(double d)
{
    return *this = *this * d;
}

Matrix Matrix::operator*(int n) const
{
    return *this * static_cast<double>(n);
}

Matrix& Matrix::operator*=(int n)
{
    return *this = *this * n;
}

Matrix Matrix::operator/(double d) const
{
    if (d == 0.0)
        matrixError("divide by zero in double division");
    Matrix result(*this);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c] /= d;
    return result;
}

Matrix& Matrix::operator/=(double d)
{
    return *this = *this / d;
}

Matrix Matrix::operator/(int n) const
{
    if (n == 0)
        matrixError("divide by zero in integer division");
    Matrix result(*this);
    const double d = n;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c] /= d;
    return result;
}

Matrix& Matrix::operator/=(int n)
{
    return *this = *this / n;
}

Matrix Matrix::operator/(const Matrix& b) const
{
    return *this * b.inverse();
}

Matrix& Matrix::operator/=(const Matrix& b)
{
    return *this = *this / b;
}

Matrix Matrix::timesTranspose() const
{
    return *this * transpose();
}

Matrix& Matrix::timesTransposeInPlace()
{
    return *this = timesTranspose();
}

Matrix Matrix::identity(int n)
{
    Matrix result(0.0, n, n);
    for (int i = 0; i < result.m_rows; ++i)
        result.m_data[i][i] = 1.0;
    return result;
}

Matrix Matrix::transpose() const
{
    Matrix result(0.0, m_cols, m_rows);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            result.m_data[c][r] = m_data[r][c];
    return result;
}

Matrix& Matrix::transposeInPlace()
{
    return *this = transpose();
}

// ---------------------------------------------------------------------------------------------
// Linear algebra

double Matrix::det() const
{
    if (m_rows != m_cols) {
        matrixError("not a square matrix for determinant");
        return 0.0;
    }
    if (m_rows == 0)
        return 1.0;  // the empty product
    if (m_rows == 1)
        return m_data[0][0];
    if (m_rows == 2)
        return m_data[0][0] * m_data[1][1] - m_data[1][0] * m_data[0][1];
    // Laplace expansion along the first row.
    double d = 0.0;
    for (int j = 0; j < m_cols; ++j)
        d += minor(0, j).det() * m_data[0][j] * std::pow(-1.0, j);
    return d;
}

namespace {

// Forward pass of the Gauss-Jordan elimination: zeros below the diagonal, unit diagonal.
// A pivot that is exactly 0.0 is exchanged with the first lower row whose entry is non-zero;
// no other exchange is made, so every matrix with non-zero pivots eliminates exactly as
// without pivoting. With no such row the zero pivot stays and the row division reports it.
void forwardPass(Matrix& a)
{
    const int n = std::min(a.rows(), a.cols());
    for (int i = 0; i < n; ++i) {
        if (a[i][i] == 0.0) {
            for (int k = i + 1; k < a.rows(); ++k) {
                if (a[k][i] != 0.0) {
                    a.swapRows(i, k);
                    break;
                }
            }
        }
        for (int k = i + 1; k < a.rows(); ++k)
            a.addRowMultiple(i, k, -a[k][i] / a[i][i]);
        a.divideRow(i, a[i][i]);
    }
}

// Backward pass: zeros above the diagonal.
void backwardPass(Matrix& a)
{
    const int n = std::min(a.rows(), a.cols());
    for (int i = n - 1; i >= 1; --i) {
        for (int k = i - 1; k >= 0; --k)
            a.addRowMultiple(i, k, -a[k][i] / a[i][i]);
        a.divideRow(i, a[i][i]);
    }
    if (n > 0)
        a.divideRow(0, a[0][0]);
}

} // namespace

Matrix Matrix::inverse() const
{
    if (m_rows != m_cols) {
        matrixError("not a square matrix for inverse");
        return *this;
    }
    const int n = m_rows;
    Matrix work = concatenatedCols(identity(n));
    forwardPass(work);
    backwardPass(work);
    return work.subMatrix(0, work.cols() / 2, n, n);
}

Matrix& Matrix::invert()
{
    return *this = inverse();
}

Matrix Matrix::echelon() const
{
    Matrix work(*this);
    forwardPass(work);
    return work;
}

Matrix Matrix::reducedEchelon() const
{
    Matrix work(*this);
    forwardPass(work);
    backwardPass(work);
    return work;
}

Matrix Matrix::minor(int r, int c) const
{
    if (!checkRow(r) || !checkCol(c))
        return Matrix();
    Matrix result(0.0, m_rows - 1, m_cols - 1);
    for (int i = 0, ri = 0; i < m_rows; ++i) {
        if (i == r)
            continue;
        for (int j = 0, cj = 0; j < m_cols; ++j) {
            if (j == c)
                continue;
            result.m_data[ri][cj++] = m_data[i][j];
        }
        ++ri;
    }
    return result;
}

namespace {

// True when `count` items from `first` on lie inside 0..size-1.
bool spanInRange(int first, int count, int size)
{
    return first >= 0 && count >= 0 && static_cast<long long>(first) + count <= size;
}

} // namespace

Matrix Matrix::subMatrix(int r0, int c0, int nRows, int nCols) const
{
    if (!spanInRange(r0, nRows, m_rows)) {
        matrixError(kRowIndexError);
        return Matrix();
    }
    if (!spanInRange(c0, nCols, m_cols)) {
        matrixError(kElementIndexError);
        return Matrix();
    }
    Matrix result(0.0, nRows, nCols);
    for (int i = 0; i < nRows; ++i)
        for (int j = 0; j < nCols; ++j)
            result.m_data[i][j] = m_data[r0 + i][c0 + j];
    return result;
}

Matrix& Matrix::subMatrixInPlace(int r0, int c0, int nRows, int nCols)
{
    Matrix block = subMatrix(r0, c0, nRows, nCols);
    // After a reported error the block is empty; this matrix is kept instead.
    if (spanInRange(r0, nRows, m_rows) && spanInRange(c0, nCols, m_cols))
        *this = std::move(block);
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Row and column operations. An index outside the matrix is reported ("out-of-bound index" for
// rows, "out-of-bounds index" for columns) and the matrix is left unchanged.

bool Matrix::checkRow(int r) const
{
    if (rowInRange(r))
        return true;
    matrixError(kRowIndexError);
    return false;
}

bool Matrix::checkCol(int c) const
{
    if (colInRange(c))
        return true;
    matrixError(kElementIndexError);
    return false;
}

namespace {

// fn(element) for every element of one row (column) of a rows x cols storage.
template <typename Element, typename Fn>
void eachInRow(Element** data, int cols, int r, Fn fn)
{
    for (int c = 0; c < cols; ++c)
        fn(data[r][c]);
}

template <typename Element, typename Fn>
void eachInCol(Element** data, int rows, int c, Fn fn)
{
    for (int r = 0; r < rows; ++r)
        fn(data[r][c]);
}

} // namespace

Matrix& Matrix::divideRow(int r, double d)
{
    if (!checkRow(r))
        return *this;
    if (d == 0.0)
        matrixError("divide by zero in row division");
    eachInRow(m_data, m_cols, r, [d](double& v) { v /= d; });
    return *this;
}

Matrix& Matrix::divideCol(int c, double d)
{
    if (!checkCol(c))
        return *this;
    if (d == 0.0)
        matrixError("divide by zero in column division");
    eachInCol(m_data, m_rows, c, [d](double& v) { v /= d; });
    return *this;
}

Matrix& Matrix::scaleRow(int r, double k)
{
    if (checkRow(r))
        eachInRow(m_data, m_cols, r, [k](double& v) { v *= k; });
    return *this;
}

Matrix& Matrix::scaleCol(int c, double k)
{
    if (checkCol(c))
        eachInCol(m_data, m_rows, c, [k](double& v) { v *= k; });
    return *this;
}

Matrix& Matrix::addRowMultiple(int src, int dst, double k)
{
    if (checkRow(src) && checkRow(dst))
        for (int c = 0; c < m_cols; ++c)
            m_data[dst][c] += m_data[src][c] * k;
    return *this;
}

Matrix& Matrix::addColMultiple(int src, int dst, double k)
{
    if (checkCol(src) && checkCol(dst))
        for (int r = 0; r < m_rows; ++r)
            m_data[r][dst] += m_data[r][src] * k;
    return *this;
}

Matrix& Matrix::swapRows(int i, int j)
{
    if (checkRow(i) && checkRow(j))
        std::swap(m_data[i], m_data[j]);
    return *this;
}

Matrix& Matrix::swapCols(int i, int j)
{
    if (checkCol(i) && checkCol(j))
        for (int r = 0; r < m_rows; ++r)
            std::swap(m_data[r][i], m_data[r][j]);
    return *this;
}

Matrix& Matrix::clear()
{
    return fill(0.0);
}

Matrix& Matrix::clearRow(int r)
{
    return fillRow(r, 0.0);
}

Matrix& Matrix::clearCol(int c)
{
    return fillCol(c, 0.0);
}

Matrix& Matrix::fill(double v)
{
    for (int r = 0; r < m_rows; ++r)
        std::fill(m_data[r], m_data[r] + m_cols, v);
    return *this;
}

Matrix& Matrix::fillRow(int r, double v)
{
    if (checkRow(r))
        eachInRow(m_data, m_cols, r, [v](double& e) { e = v; });
    return *this;
}

Matrix& Matrix::fillCol(int c, double v)
{
    if (checkCol(c))
        eachInCol(m_data, m_rows, c, [v](double& e) { e = v; });
    return *this;
}

Matrix& Matrix::generate(double (*fn)(double, double))
{
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = fn(r, c);
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Shape changes. A null value array counts as zeros.

Matrix& Matrix::appendRow(const double* values)
{
    return insertRow(values, m_rows);
}

Matrix& Matrix::appendCol(const double* values)
{
    return insertCol(values, m_cols);
}

Matrix& Matrix::insertRow(const double* values, int pos)
{
    if (pos < 0 || pos > m_rows) {
        matrixError(kRowIndexError);
        return *this;
    }
    Matrix result(0.0, m_rows + 1, m_cols);
    for (int r = 0; r < m_rows; ++r)
        std::copy(m_data[r], m_data[r] + m_cols, result.m_data[r < pos ? r : r + 1]);
    if (values)
        std::copy(values, values + m_cols, result.m_data[pos]);
    return *this = std::move(result);
}

Matrix& Matrix::insertCol(const double* values, int pos)
{
    if (pos < 0 || pos > m_cols) {
        matrixError(kElementIndexError);
        return *this;
    }
    Matrix result(0.0, m_rows, m_cols + 1);
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c)
            result.m_data[r][c < pos ? c : c + 1] = m_data[r][c];
        result.m_data[r][pos] = values ? values[r] : 0.0;
    }
    return *this = std::move(result);
}

Matrix& Matrix::removeRow(int r)
{
    if (!checkRow(r))
        return *this;
    Matrix result(0.0, m_rows - 1, m_cols);
    for (int i = 0; i < m_rows; ++i)
        if (i != r)
            std::copy(m_data[i], m_data[i] + m_cols, result.m_data[i < r ? i : i - 1]);
    return *this = std::move(result);
}

Matrix& Matrix::removeCol(int c)
{
    if (!checkCol(c))
        return *this;
    Matrix result(0.0, m_rows, m_cols - 1);
    for (int r = 0; r < m_rows; ++r)
        for (int j = 0; j < m_cols; ++j)
            if (j != c)
                result.m_data[r][j < c ? j : j - 1] = m_data[r][j];
    return *this = std::move(result);
}

Matrix Matrix::concatenatedRows(const Matrix& b) const
{
    if (m_cols != b.m_cols) {
        matrixError("mismatched matrices in row concatenation");
        return *this;
    }
    Matrix result(0.0, m_rows + b.m_rows, m_cols);
    for (int r = 0; r < m_rows; ++r)
        std::copy(m_data[r], m_data[r] + m_cols, result.m_data[r]);
    for (int r = 0; r < b.m_rows; ++r)
        std::copy(b.m_data[r], b.m_data[r] + m_cols, result.m_data[m_rows + r]);
    return result;
}

Matrix Matrix::concatenatedCols(const Matrix& b) const
{
    if (m_rows != b.m_rows) {
        matrixError("mismatched matrices in column concatenation");
        return *this;
    }
    Matrix result(0.0, m_rows, m_cols + b.m_cols);
    for (int r = 0; r < m_rows; ++r) {
        std::copy(m_data[r], m_data[r] + m_cols, result.m_data[r]);
        std::copy(b.m_data[r], b.m_data[r] + b.m_cols, result.m_data[r] + m_cols);
    }
    return result;
}

Matrix& Matrix::concatRows(const Matrix& b)
{
    return *this = concatenatedRows(b);
}

Matrix& Matrix::concatCols(const Matrix& b)
{
    return *this = concatenatedCols(b);
}

// ---------------------------------------------------------------------------------------------
// Statistics. The extremes of no elements are NaN.

double Matrix::sum() const
{
    double s = 0.0;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            s += m_data[r][c];
    return s;
}

double Matrix::sumSquared() const
{
    const double s = sum();
    return s * s;
}

double Matrix::rowSum(int r) const
{
    double s = 0.0;
    if (checkRow(r))
        eachInRow(m_data, m_cols, r, [&s](double v) { s += v; });
    return s;
}

double Matrix::colSum(int c) const
{
    double s = 0.0;
    if (checkCol(c))
        eachInCol(m_data, m_rows, c, [&s](double v) { s += v; });
    return s;
}

double Matrix::rowSumSquared(int r) const
{
    const double s = rowSum(r);
    return s * s;
}

double Matrix::colSumSquared(int c) const
{
    const double s = colSum(c);
    return s * s;
}

namespace {

// Smallest and largest of a sequence, starting from its first element; NaN for none.
struct Extremes
{
    double lo = kNaN;
    double hi = kNaN;
    bool empty = true;

    void operator()(double v)
    {
        if (empty) {
            lo = hi = v;
            empty = false;
        }
        if (v < lo)
            lo = v;
        if (v > hi)
            hi = v;
    }
};

} // namespace

void Matrix::minMax(double& lo, double& hi) const
{
    Extremes e;
    for (int r = 0; r < m_rows; ++r)
        eachInRow(m_data, m_cols, r, [&e](double v) { e(v); });
    lo = e.lo;
    hi = e.hi;
}

void Matrix::rowMinMax(double& lo, double& hi, int r) const
{
    Extremes e;
    if (checkRow(r))
        eachInRow(m_data, m_cols, r, [&e](double v) { e(v); });
    lo = e.lo;
    hi = e.hi;
}

void Matrix::colMinMax(double& lo, double& hi, int c) const
{
    Extremes e;
    if (checkCol(c))
        eachInCol(m_data, m_rows, c, [&e](double v) { e(v); });
    lo = e.lo;
    hi = e.hi;
}

double Matrix::max() const
{
    double lo, hi;
    minMax(lo, hi);
    return hi;
}

double Matrix::min() const
{
    double lo, hi;
    minMax(lo, hi);
    return lo;
}

double Matrix::rowMax(int r) const
{
    double lo, hi;
    rowMinMax(lo, hi, r);
    return hi;
}

double Matrix::rowMin(int r) const
{
    double lo, hi;
    rowMinMax(lo, hi, r);
    return lo;
}

double Matrix::colMax(int c) const
{
    double lo, hi;
    colMinMax(lo, hi, c);
    return hi;
}

double Matrix::colMin(int c) const
{
    double lo, hi;
    colMinMax(lo, hi, c);
    return lo;
}

double Matrix::range() const
{
    double lo, hi;
    minMax(lo, hi);
    return hi - lo;
}

double Matrix::rowRange(int r) const
{
    double lo, hi;
    rowMinMax(lo, hi, r);
    return hi - lo;
}

double Matrix::colRange(int c) const
{
    double lo, hi;
    colMinMax(lo, hi, c);
    return hi - lo;
}

Matrix& Matrix::normalize(double lo, double hi)
{
    double mn, mx;
    minMax(mn, mx);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = (m_data[r][c] - mn) / (mx - mn) * (hi - lo) + lo;
    return *this;
}

Matrix Matrix::normalized(double lo, double hi) const
{
    Matrix copy(*this);
    copy.normalize(lo, hi);
    return copy;
}

namespace {

// Bubble sort: as many passes as elements, each exchanging every adjacent pair out of order.
template <typename OutOfOrder>
void bubbleSort(std::vector<double>& v, OutOfOrder outOfOrder)
{
    const size_t n = v.size();
    for (size_t pass = 0; pass < n; ++pass)
        for (size_t i = 0; i + 1 < n; ++i)
            if (outOfOrder(v[i], v[i + 1]))
                std::swap(v[i], v[i + 1]);
}

} // namespace

Matrix& Matrix::sortAscending()
{
    double* flat = toArray();
    std::vector<double> v(flat, flat + static_cast<size_t>(m_rows) * m_cols);
    delete[] flat;
    bubbleSort(v, [](double left, double right) { return left > right; });
    for (int r = 0, i = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = v[static_cast<size_t>(i++)];
    return *this;
}

Matrix& Matrix::sortDescending()
{
    double* flat = toArray();
    std::vector<double> v(flat, flat + static_cast<size_t>(m_rows) * m_cols);
    delete[] flat;
    bubbleSort(v, [](double left, double right) { return right > left; });
    for (int r = 0, i = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_data[r][c] = v[static_cast<size_t>(i++)];
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Conversions

double* Matrix::toArray() const
{
    double* flat = new double[static_cast<size_t>(m_rows) * m_cols];
    for (int r = 0; r < m_rows; ++r)
        std::copy(m_data[r], m_data[r] + m_cols, flat + static_cast<size_t>(r) * m_cols);
    return flat;
}

double** Matrix::to2DArray() const
{
    double** rows = new double*[static_cast<size_t>(m_rows)];
    for (int r = 0; r < m_rows; ++r) {
        rows[r] = new double[static_cast<size_t>(m_cols)];
        std::copy(m_data[r], m_data[r] + m_cols, rows[r]);
    }
    return rows;
}
