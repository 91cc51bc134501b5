// The dense matrix of the fits: products, triangulation by row operations, determinant, adjugate
// and inverse. Every result is a new matrix; intermediates are freed on every path.

#include "tavrin/spectrum.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// Entries below this magnitude count as cleared during elimination.
constexpr double kNegligible = 1e-300;

double& at(DspMatrix* m, uint32_t row, uint32_t column)
{
    return m->data[size_t(row) * m->columns + column];
}

double at(const DspMatrix* m, uint32_t row, uint32_t column)
{
    return m->data[size_t(row) * m->columns + column];
}

DspMatrix* allocate(uint32_t rows, uint32_t columns, int32_t sign)
{
    DspMatrix* m = nullptr;
    return DSPLI_MatrixAllocation(&m, rows, columns, sign, nullptr) == EC_Success ? m : nullptr;
}

DspMatrix* copyOf(const DspMatrix* source)
{
    DspMatrix* m = nullptr;
    return DSPLI_MatrixAllocation(&m, source->rows, source->columns, source->sign, source->data) == EC_Success
               ? m
               : nullptr;
}

bool square(const DspMatrix* m)
{
    return m->rows == m->columns && m->rows > 0;
}

void swapRows(DspMatrix* m, uint32_t a, uint32_t b)
{
    for (uint32_t j = 0; j < m->columns; ++j)
        std::swap(at(m, a, j), at(m, b, j));
    m->sign = -m->sign;
}

// row[target] += factor * row[source]
void addRow(DspMatrix* m, uint32_t target, uint32_t source, double factor)
{
    for (uint32_t j = 0; j < m->columns; ++j)
        at(m, target, j) += factor * at(m, source, j);
}

// One elimination pass, downward (upper triangle) or upward (lower triangle). Returns the reduced
// copy; a column without a usable pivot stops it early with sign 0.
ERRORCODE triangle(const DspMatrix* matrix, DspMatrix** out, DspMatrix* companion, bool upper)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (!matrix || !square(matrix) || (companion && companion->rows != matrix->rows))
        return EC_InvalidArgument;
    DspMatrix* m = copyOf(matrix);
    if (!m)
        return EC_AllocationFailed;
    const uint32_t n = m->rows;
    for (uint32_t step = 0; step + 1 < n; ++step) {
        const uint32_t k = upper ? step : n - 1 - step;
        if (at(m, k, k) == 0) {
            bool found = false;
            for (uint32_t d = 1; !found && (upper ? k + d < n : d <= k); ++d) {
                const uint32_t r = upper ? k + d : k - d;
                if (at(m, r, k) != 0) {
                    swapRows(m, k, r);
                    if (companion)
                        swapRows(companion, k, r);
                    found = true;
                }
            }
            if (!found) {
                m->sign = 0;
                *out = m;
                return EC_Success;
            }
        }
        const double pivot = at(m, k, k);
        for (uint32_t d = 1; upper ? k + d < n : d <= k; ++d) {
            const uint32_t i = upper ? k + d : k - d;
            if (std::fabs(at(m, i, k)) < kNegligible)
                continue;
            const double factor = -(at(m, i, k) / pivot);
            addRow(m, i, k, factor);
            if (companion)
                addRow(companion, i, k, factor);
            // One step clears the entry up to rounding; what rounding leaves is set to zero rather
            // than chased (a second step could leave another residue, and so on).
            at(m, i, k) = 0;
        }
    }
    *out = m;
    return EC_Success;
}

} // namespace

extern "C" {

ERRORCODE DSPLI_MatrixAllocation(DspMatrix** out, uint32_t rows, uint32_t columns, int32_t sign,
                                 const double* initial)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (size_t(rows) * columns == 0)
        return EC_InvalidArgument;
    const size_t entries = size_t(rows) * columns;
    if (entries > std::numeric_limits<size_t>::max() / sizeof(double))
        return EC_AllocationFailed;
    auto* m = static_cast<DspMatrix*>(std::calloc(1, sizeof(DspMatrix)));
    double* data = static_cast<double*>(std::calloc(entries, sizeof(double)));
    if (!m || !data) {
        std::free(m);
        std::free(data);
        return EC_AllocationFailed;
    }
    if (initial)
        std::memcpy(data, initial, entries * sizeof(double));
    m->rows = rows;
    m->columns = columns;
    m->sign = sign;
    m->data = data;
    *out = m;
    return EC_Success;
}

ERRORCODE DSPLI_MatrixFree(DspMatrix* matrix)
{
    if (matrix) {
        std::free(matrix->data);
        std::free(matrix);
    }
    return EC_Success;
}

ERRORCODE DSPLI_MatrixTranspose(const DspMatrix* matrix, DspMatrix** out)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (!matrix)
        return EC_InvalidArgument;
    DspMatrix* t = allocate(matrix->columns, matrix->rows, matrix->sign);
    if (!t)
        return EC_AllocationFailed;
    for (uint32_t i = 0; i < matrix->rows; ++i)
        for (uint32_t j = 0; j < matrix->columns; ++j)
            at(t, j, i) = at(matrix, i, j);
    *out = t;
    return EC_Success;
}

ERRORCODE DSPLI_MatrixProduct(const DspMatrix* left, const DspMatrix* right, DspMatrix** out)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (!left || !right || left->columns != right->rows)
        return EC_InvalidArgument;
    DspMatrix* p = allocate(left->rows, right->columns, left->sign * right->sign);
    if (!p)
        return EC_AllocationFailed;
    for (uint32_t i = 0; i < left->rows; ++i)
        for (uint32_t j = 0; j < right->columns; ++j) {
            long double sum = 0;
            for (uint32_t k = 0; k < left->columns; ++k)
                sum += (long double)at(left, i, k) * at(right, k, j);
            at(p, i, j) = double(sum);
        }
    *out = p;
    return EC_Success;
}

ERRORCODE DSPLI_MatrixUpperTriangle(const DspMatrix* matrix, DspMatrix** out, DspMatrix* companion)
{
    return triangle(matrix, out, companion, true);
}

ERRORCODE DSPLI_MatrixLowerTriangle(const DspMatrix* matrix, DspMatrix** out, DspMatrix* companion)
{
    return triangle(matrix, out, companion, false);
}

ERRORCODE DSPLI_MatrixDeterminant(const DspMatrix* matrix, double* out)
{
    if (!out)
        return EC_NullArgument;
    DspMatrix* u = nullptr;
    const ERRORCODE rc = DSPLI_MatrixUpperTriangle(matrix, &u, nullptr);
    if (rc != EC_Success)
        return rc;
    long double product = u->sign;
    for (uint32_t i = 0; i < u->rows && product != 0; ++i)
        product *= at(u, i, i);
    *out = double(product);
    DSPLI_MatrixFree(u);
    return EC_Success;
}

ERRORCODE DSPLI_MatrixConjugate(const DspMatrix* matrix, DspMatrix** out)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (!matrix || !square(matrix))
        return EC_InvalidArgument;
    const uint32_t n = matrix->rows;
    DspMatrix* adjugate = allocate(n, n, 1);
    if (!adjugate)
        return EC_AllocationFailed;
    if (n == 1) {
        // The adjugate of a 1 x 1 matrix is the 1 x 1 identity (the empty minor's determinant is 1).
        adjugate->data[0] = 1;
        *out = adjugate;
        return EC_Success;
    }
    DspMatrix* minor = allocate(n - 1, n - 1, 1);
    if (!minor) {
        DSPLI_MatrixFree(adjugate);
        return EC_AllocationFailed;
    }
    for (uint32_t i = 0; i < n; ++i)
        for (uint32_t j = 0; j < n; ++j) {
            for (uint32_t r = 0, mr = 0; r < n; ++r) {
                if (r == i)
                    continue;
                for (uint32_t c = 0, mc = 0; c < n; ++c)
                    if (c != j)
                        at(minor, mr, mc++) = at(matrix, r, c);
                ++mr;
            }
            minor->sign = 1;
            double d = 0;
            const ERRORCODE rc = DSPLI_MatrixDeterminant(minor, &d);
            if (rc != EC_Success) {
                DSPLI_MatrixFree(minor);
                DSPLI_MatrixFree(adjugate);
                return rc;
            }
            // Cofactor (i, j), stored transposed.
            at(adjugate, j, i) = ((i + j) % 2) ? -d : d;
        }
    DSPLI_MatrixFree(minor);
    *out = adjugate;
    return EC_Success;
}

ERRORCODE DSPLI_MatrixInverse(const DspMatrix* matrix, DspMatrix** out)
{
    if (!out)
        return EC_NullArgument;
    *out = nullptr;
    if (!matrix || !square(matrix))
        return EC_InvalidArgument;
    const uint32_t n = matrix->rows;
    DspMatrix* inverse = allocate(n, n, 1);
    if (!inverse)
        return EC_AllocationFailed;
    for (uint32_t i = 0; i < n; ++i)
        at(inverse, i, i) = 1;

    DspMatrix *upper = nullptr, *diagonal = nullptr;
    ERRORCODE rc = DSPLI_MatrixUpperTriangle(matrix, &upper, inverse);
    // A column without pivot, or a zero left on the diagonal, means there is no inverse.
    auto singular = [n](const DspMatrix* m) {
        if (m->sign == 0)
            return true;
        for (uint32_t i = 0; i < n; ++i)
            if (at(m, i, i) == 0)
                return true;
        return false;
    };
    if (rc == EC_Success && singular(upper))
        rc = EC_InvalidArgument;
    if (rc == EC_Success)
        rc = DSPLI_MatrixLowerTriangle(upper, &diagonal, inverse);
    if (rc == EC_Success && singular(diagonal))
        rc = EC_InvalidArgument;
    if (rc == EC_Success) {
        for (uint32_t i = 0; i < n; ++i) {
            const double d = at(diagonal, i, i);
            for (uint32_t j = 0; j < n; ++j)
                at(inverse, i, j) /= d;
        }
        // The row swaps are already in the inverse's entries; its determinant carries no extra factor.
        inverse->sign = 1;
    }
    DSPLI_MatrixFree(upper);
    DSPLI_MatrixFree(diagonal);
    if (rc != EC_Success) {
        DSPLI_MatrixFree(inverse);
        return rc;
    }
    *out = inverse;
    return EC_Success;
}

} // extern "C"
