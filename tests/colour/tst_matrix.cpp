// Matrix: construction, arithmetic, determinant and inverse, error reports, text and stream forms.
#include "colour/colorreference.h"
#include "colour/matrix.h"
#include "logcapture.h"
#include "testenv.h"

#include <QBuffer>
#include <QDataStream>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <thread>

Q_DECLARE_METATYPE(Matrix)

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

Matrix fromRows(std::initializer_list<std::initializer_list<double>> rows)
{
    const int r = int(rows.size());
    const int c = r ? int(rows.begin()->size()) : 0;
    Matrix m(0.0, r, c);
    int i = 0;
    for (const auto& row : rows) {
        int j = 0;
        for (double v : row)
            m(i, j++) = v;
        ++i;
    }
    return m;
}

bool bitIdentical(const Matrix& a, const Matrix& b)
{
    if (a.rows() != b.rows() || a.cols() != b.cols())
        return false;
    for (int r = 0; r < a.rows(); ++r)
        for (int c = 0; c < a.cols(); ++c) {
            const double x = a(r, c), y = b(r, c);
            if (std::memcmp(&x, &y, sizeof x) != 0)
                return false;
        }
    return true;
}

bool near(const Matrix& a, const Matrix& b, double tolerance)
{
    if (a.rows() != b.rows() || a.cols() != b.cols())
        return false;
    for (int r = 0; r < a.rows(); ++r)
        for (int c = 0; c < a.cols(); ++c)
            if (!(std::fabs(a(r, c) - b(r, c)) <= tolerance))
                return false;
    return true;
}

// Gauss-Jordan exactly as before pivoting was added: the same operations in the same order on
// plain arrays, never exchanging rows.
Matrix unpivotedInverse(const Matrix& a)
{
    const int n = a.rows();
    std::vector<std::vector<double>> w(n, std::vector<double>(2 * n, 0.0));
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            w[r][c] = a(r, c);
        w[r][n + r] = 1.0;
    }
    auto addMultiple = [&](int src, int dst, double k) {
        for (int c = 0; c < 2 * n; ++c)
            w[dst][c] += w[src][c] * k;
    };
    auto divide = [&](int r, double d) {
        for (int c = 0; c < 2 * n; ++c)
            w[r][c] /= d;
    };
    for (int i = 0; i < n; ++i) {
        for (int k = i + 1; k < n; ++k)
            addMultiple(i, k, -w[k][i] / w[i][i]);
        divide(i, w[i][i]);
    }
    for (int i = n - 1; i >= 1; --i) {
        for (int k = i - 1; k >= 0; --k)
            addMultiple(i, k, -w[k][i] / w[i][i]);
        divide(i, w[i][i]);
    }
    divide(0, w[0][0]);
    Matrix inv(0.0, n, n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            inv(r, c) = w[r][n + c];
    return inv;
}

QByteArray streamed(const Matrix& m)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << m;
    return bytes;
}

QByteArray counts(qint32 rows, qint32 cols)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << rows << cols;
    return bytes;
}

// A device that cannot tell how much is left, like a socket or a pipe.
class SequentialSource : public QIODevice
{
public:
    explicit SequentialSource(const QByteArray& bytes) : m_bytes(bytes) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min<qint64>(maxSize, m_bytes.size() - m_offset);
        std::memcpy(data, m_bytes.constData() + m_offset, size_t(n));
        m_offset += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_offset = 0;
};

QString quoted(const char* text)
{
    return QStringLiteral("\"%1\"").arg(QLatin1String(text));
}

double rowPlusCol(double r, double c)
{
    return 10.0 * r + c;
}

} // namespace

class TestMatrix : public QObject
{
    Q_OBJECT
private slots:
    void constructionOrderIsValueRowsCols()
    {
        const Matrix m(5.0, 2, 3);
        QCOMPARE(m.rows(), 2);
        QCOMPARE(m.cols(), 3);
        QCOMPARE(m.sum(), 30.0);
        const double flat[] = {1, 2, 3, 4, 5, 6};
        const Matrix f(flat, 2, 3);
        QCOMPARE(f(1, 0), 4.0);
        QCOMPARE(f(0, 2), 3.0);
        double* back = f.toArray();
        QVERIFY(std::equal(flat, flat + 6, back));
        delete[] back;
        const Matrix g(&rowPlusCol, 2, 3);
        QCOMPARE(g(1, 2), 12.0);
        double** rows = g.to2DArray();
        QCOMPARE(Matrix(rows, 2, 3), g);
        for (int r = 0; r < 2; ++r)
            delete[] rows[r];
        delete[] rows;
    }

    void emptyMatrixIsIdentityAndZero()
    {
        const Matrix e;
        QCOMPARE(e.rows(), 0);
        QCOMPARE(e.cols(), 0);
        QVERIFY(e == Matrix());
        QVERIFY(e.isIdentity());
        QVERIFY(e.isZero());
        QCOMPARE(e.sum(), 0.0);
        QVERIFY(std::isnan(e.max()));
    }

    void nanMakesMatricesUnequal()
    {
        Matrix a = Matrix::identity(2);
        Matrix b = a;
        b(1, 0) = kNaN;
        QVERIFY(a != b);
        QVERIFY(!(b == b));
        QVERIFY(b != b);
    }

    void copiesAreDeep()
    {
        Matrix a(1.0, 2, 2);
        Matrix b(a);
        Matrix c;
        c = a;
        a(0, 0) = 9.0;
        QCOMPARE(b(0, 0), 1.0);
        QCOMPARE(c(0, 0), 1.0);
        c = c;
        QCOMPARE(c, Matrix(1.0, 2, 2));
        Matrix moved(std::move(c));
        QCOMPARE(moved, Matrix(1.0, 2, 2));
        QCOMPARE(c, Matrix());  // a moved-from matrix is empty and usable
        c = std::move(moved);
        QCOMPARE(c, Matrix(1.0, 2, 2));
        QCOMPARE(moved, Matrix());
    }

    void arithmetic()
    {
        const Matrix a = fromRows({{1, 2}, {3, 4}});
        const Matrix b = fromRows({{5, 6}, {7, 8}});
        QCOMPARE(a + b, fromRows({{6, 8}, {10, 12}}));
        QCOMPARE(b - a, fromRows({{4, 4}, {4, 4}}));
        QCOMPARE(a * b, fromRows({{19, 22}, {43, 50}}));
        QCOMPARE(a * 2, fromRows({{2, 4}, {6, 8}}));
        QCOMPARE(a * 0.5, fromRows({{0.5, 1}, {1.5, 2}}));
        QCOMPARE(b / 2, fromRows({{2.5, 3}, {3.5, 4}}));
        Matrix c = a;
        c += b;
        c -= a;
        QCOMPARE(c, b);
        c *= Matrix::identity(2);
        QCOMPARE(c, b);
        QVERIFY(near(a / a, Matrix::identity(2), 1e-15));
        const Matrix r = fromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}});
        QCOMPARE(Matrix::identity(3) * r, r);
        const Matrix wide = fromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
        QCOMPARE(Matrix::identity(3) * wide, wide);
        QCOMPARE(wide * Matrix::identity(4), wide);
        QCOMPARE(wide.transpose().rows(), 4);
        QCOMPARE(wide.transpose()(3, 2), 12.0);
        QCOMPARE(a.timesTranspose(), fromRows({{5, 11}, {11, 25}}));
        QVERIFY(Matrix::identity(0) == Matrix());
    }

    void divisionByZeroStillDividesAndReports()
    {
        LogCapture log;
        const Matrix a = fromRows({{1, 0}});
        const Matrix q = a / 0;
        QVERIFY(std::isinf(q(0, 0)));
        QVERIFY(std::isnan(q(0, 1)));
        const Matrix d = a / -0.0;
        QVERIFY(std::isinf(d(0, 0)) && d(0, 0) < 0);
        QCOMPARE(log.messages(), (QStringList{quoted("divide by zero in integer division"),
                                              quoted("divide by zero in double division")}));
    }

    void determinantAndInverse_data()
    {
        QTest::addColumn<Matrix>("m");
        QTest::addColumn<double>("det");
        QTest::addColumn<Matrix>("inverse");
        QTest::newRow("diagonal 3x3") << fromRows({{2, 0, 0}, {0, 4, 0}, {0, 0, -8}}) << -64.0
                                      << fromRows({{0.5, 0, 0}, {0, 0.25, 0}, {0, 0, -0.125}});
        QTest::newRow("2x2 ad - cb") << fromRows({{3, 5}, {2, 7}}) << 11.0
                                     << fromRows({{7 / 11.0, -5 / 11.0}, {-2 / 11.0, 3 / 11.0}});
        QTest::newRow("swap needs a row exchange") << fromRows({{0, 1}, {1, 0}}) << -1.0
                                                   << fromRows({{0, 1}, {1, 0}});
        QTest::newRow("zero pivot in the middle")
            << fromRows({{1, 2, 3}, {2, 4, 7}, {1, 3, 3}}) << -1.0
            << fromRows({{9, -3, -2}, {-1, 0, 1}, {-2, 1, 0}});
        QTest::newRow("1x1") << fromRows({{4}}) << 4.0 << fromRows({{0.25}});
        QTest::newRow("0x0") << Matrix() << 1.0 << Matrix();
    }
    void determinantAndInverse()
    {
        QFETCH(Matrix, m);
        QFETCH(double, det);
        QFETCH(Matrix, inverse);
        LogCapture log;
        QCOMPARE(m.det(), det);
        QVERIFY(near(m.inverse(), inverse, 1e-14));
        QVERIFY(near(m * m.inverse(), Matrix::identity(m.rows()), 1e-14));
        Matrix inPlace = m;
        inPlace.invert();
        QCOMPARE(inPlace, m.inverse());
        QVERIFY2(log.messages().isEmpty(), qPrintable(log.messages().join('\n')));
    }

    void determinantFollowsSarrus()
    {
        const Matrix m = fromRows({{2.5, -1, 3}, {0.5, 4, -2}, {1, 7, 0.25}});
        const double a = 2.5, b = -1, c = 3, d = 0.5, e = 4, f = -2, g = 1, h = 7, i = 0.25;
        const double sarrus = a * e * i + b * f * g + c * d * h - c * e * g - b * d * i - a * f * h;
        QVERIFY(std::fabs(m.det() - sarrus) < 1e-12);
        const Matrix four = fromRows({{1, 2, 0, 1}, {0, 1, 3, 0}, {2, 0, 1, 1}, {1, 1, 1, 1}});
        QVERIFY(std::fabs(four.det() - 4.0) < 1e-12);
    }

    void singularInverseReportsRowDivision()
    {
        LogCapture log;
        const Matrix inv = fromRows({{1, 2}, {2, 4}}).inverse();
        QVERIFY(!log.messages().isEmpty());
        QCOMPARE(log.messages().first(), quoted("divide by zero in row division"));
        QVERIFY(std::isnan(inv(1, 1)) || std::isinf(inv(1, 1)));
    }

    void primariesTimesInverseIsIdentity_data()
    {
        QTest::addColumn<int>("standard");
        for (int s = StandardPalSecamEbu; s <= StandardDciP3; ++s)
            QTest::newRow(qPrintable(ColorReference(s).standardName)) << s;
    }
    void primariesTimesInverseIsIdentity()
    {
        QFETCH(int, standard);
        const ColorReference ref(standard);
        const Matrix primaries = ref.red.concatenatedCols(ref.green).concatenatedCols(ref.blue);
        QVERIFY(near(primaries * primaries.inverse(), Matrix::identity(3), 1e-14));
        QVERIFY(near(ref.rgbToXyz * ref.xyzToRgb, Matrix::identity(3), 1e-14));
    }

    // Pivoting only steps in at an exact zero pivot: for every colour standard and white the
    // results are bit for bit those of the elimination without row exchanges.
    void inverseOfEveryReferenceIsBitIdenticalToUnpivoted()
    {
        for (int s = StandardPalSecamEbu; s <= StandardDciP3 + 1; ++s) {
            for (int w = WhiteOwn; w < WhitePointCount; ++w) {
                const ColorReference ref(s, w, 2.2);
                const QByteArray where = QStringLiteral("standard %1 white %2").arg(s).arg(w).toLatin1();
                QVERIFY2(bitIdentical(ref.xyzToRgb, unpivotedInverse(ref.rgbToXyz)), where);
                Matrix primaries(0.0, 3, 3);
                const CColor* prims[3] = {&ref.red, &ref.green, &ref.blue};
                for (int i = 0; i < 3; ++i) {
                    const CColor xy = prims[i]->toxyY();
                    CColor unit;
                    unit.fromxyY(CColor(xy[0], xy[1], 1.0));
                    for (int r = 0; r < 3; ++r)
                        primaries(r, i) = unit[r];
                }
                QVERIFY2(bitIdentical(primaries.inverse(), unpivotedInverse(primaries)), where);
            }
        }
    }

    void echelonForms()
    {
        const Matrix m = fromRows({{2, 4}, {1, 3}});
        QVERIFY(near(m.echelon(), fromRows({{1, 2}, {0, 1}}), 1e-15));
        QVERIFY(near(m.reducedEchelon(), Matrix::identity(2), 1e-15));
    }

    void errorTexts_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("text");
        QTest::newRow("sum of different sizes") << 0 << "mismatched matrices in addition";
        QTest::newRow("difference of different sizes") << 1 << "mismatched matrices in subtraction";
        QTest::newRow("product cols != rows") << 2 << "mismatched matrices in multiplication";
        QTest::newRow("divide by 0.0") << 3 << "divide by zero in double division";
        QTest::newRow("divide by int 0") << 4 << "divide by zero in integer division";
        QTest::newRow("row index past the end") << 5 << "out-of-bound index";
        QTest::newRow("row index negative") << 6 << "out-of-bound index";
        QTest::newRow("element row past the end") << 7 << "out-of-bounds index";
        QTest::newRow("element column negative") << 8 << "out-of-bounds index";
        QTest::newRow("determinant of 2x3") << 9 << "not a square matrix for determinant";
        QTest::newRow("row divided by 0.0") << 10 << "divide by zero in row division";
        QTest::newRow("inverse of 2x3") << 11 << "not a square matrix for inverse";
        QTest::newRow("column divided by 0.0") << 12 << "divide by zero in column division";
        QTest::newRow("row concatenation") << 13 << "mismatched matrices in row concatenation";
        QTest::newRow("column concatenation") << 14 << "mismatched matrices in column concatenation";
        QTest::newRow("row operation outside") << 15 << "out-of-bound index";
        QTest::newRow("column operation outside") << 16 << "out-of-bounds index";
    }
    void errorTexts()
    {
        QFETCH(int, operation);
        QFETCH(QString, text);
        const Matrix square(1.0, 2, 2);
        const Matrix wide(1.0, 2, 3);
        Matrix target = fromRows({{1, 2}, {3, 4}});
        const Matrix before = target;
        LogCapture log;
        switch (operation) {
        case 0: QCOMPARE(target + wide, before); break;
        case 1: QCOMPARE(target - wide, before); break;
        case 2: QCOMPARE(wide * wide, Matrix(0.0, 2, 3)); break;
        case 3: target / 0.0; break;
        case 4: target / 0; break;
        case 5: target[2][1] = 99.0; break;
        case 6: QCOMPARE(target[-1][0], 0.0); break;
        case 7: target(2, 0) = 99.0; break;
        case 8: target(0, -1) = 99.0; break;
        case 9: QCOMPARE(wide.det(), 0.0); break;
        case 10: target.divideRow(1, 0.0); break;
        case 11: wide.inverse(); break;
        case 12: target.divideCol(0, 0.0); break;
        case 13: target.concatRows(wide); break;
        case 14: target.concatCols(Matrix(1.0, 3, 1)); break;
        case 15: target.swapRows(0, 2).scaleRow(-1, 3.0).fillRow(5, 1.0); break;
        case 16: target.swapCols(0, 2).scaleCol(-1, 3.0).fillCol(5, 1.0); break;
        }
        QVERIFY(!log.messages().isEmpty());
        for (const QString& message : log.messages())
            QCOMPARE(message, QStringLiteral("\"%1\"").arg(text));
        QCOMPARE(log.messages(QtDebugMsg), log.messages());
        if (operation >= 5 && operation <= 8)
            QCOMPARE(target, before);  // the write went to a scratch cell
        if (operation >= 13)
            QCOMPARE(target, before);
    }

    void indexErrorIsReportedOncePerAccess()
    {
        Matrix m(1.0, 2, 2);
        LogCapture log;
        m(-1, 5) = 3.0;  // caught by the first of the two tests
        m(-1, 0) = 3.0;  // caught by the second
        QCOMPARE(log.messages().size(), 2);
        QCOMPARE(m, Matrix(1.0, 2, 2));
    }

    void rowAndColumnOperations()
    {
        Matrix m = fromRows({{1, 2}, {3, 4}});
        m.swapRows(0, 1);
        QCOMPARE(m, fromRows({{3, 4}, {1, 2}}));
        m.swapCols(0, 1).scaleRow(1, 2).addRowMultiple(1, 0, -1);
        QCOMPARE(m, fromRows({{0, 1}, {4, 2}}));
        m.addColMultiple(1, 0, 1).divideCol(0, 2).scaleCol(1, 10);
        QCOMPARE(m, fromRows({{0.5, 10}, {3, 20}}));
        m.clearRow(0).fillCol(1, 7);
        QCOMPARE(m, fromRows({{0, 7}, {3, 7}}));
        m.clearCol(1).fill(2).clear();
        QVERIFY(m.isZero());
        m.generate(&rowPlusCol);
        QCOMPARE(m, fromRows({{0, 1}, {10, 11}}));
    }

    void shapeChanges()
    {
        Matrix m = fromRows({{1, 2}, {3, 4}});
        const double row[] = {5, 6};
        const double col[] = {7, 8, 9};
        m.appendRow(row);
        QCOMPARE(m, fromRows({{1, 2}, {3, 4}, {5, 6}}));
        m.insertCol(col, 1);
        QCOMPARE(m, fromRows({{1, 7, 2}, {3, 8, 4}, {5, 9, 6}}));
        m.removeRow(0).removeCol(2);
        QCOMPARE(m, fromRows({{3, 8}, {5, 9}}));
        m.insertRow(row, 0).appendCol(col);
        QCOMPARE(m, fromRows({{5, 6, 7}, {3, 8, 8}, {5, 9, 9}}));
        QCOMPARE(m.minor(0, 1), fromRows({{3, 8}, {5, 9}}));
        QCOMPARE(m.subMatrix(1, 1, 2, 2), fromRows({{8, 8}, {9, 9}}));
        const Matrix a = fromRows({{1}, {2}, {3}});
        const Matrix b = fromRows({{4, 5}, {6, 7}, {8, 9}});
        QCOMPARE(a.concatenatedCols(b), fromRows({{1, 4, 5}, {2, 6, 7}, {3, 8, 9}}));
        QCOMPARE(a.rows(), 3);
        QCOMPARE(a.cols(), 1);
        Matrix c = fromRows({{1, 2}});
        c.concatRows(fromRows({{3, 4}}));
        QCOMPARE(c, fromRows({{1, 2}, {3, 4}}));
        LogCapture log;
        Matrix untouched = c;
        untouched.insertRow(row, 3).removeCol(2).subMatrixInPlace(1, 1, 2, 2);
        QCOMPARE(untouched, c);
        QCOMPARE(log.messages().size(), 3);
    }

    void statistics()
    {
        const Matrix m = fromRows({{3, -1, 2}, {5, 0, -4}});
        QCOMPARE(m.sum(), 5.0);
        QCOMPARE(m.sumSquared(), 25.0);  // the square of the sum, not the sum of squares
        QCOMPARE(m.rowSum(1), 1.0);
        QCOMPARE(m.colSumSquared(0), 64.0);
        QCOMPARE(m.max(), 5.0);
        QCOMPARE(m.min(), -4.0);
        QCOMPARE(m.rowMax(0), 3.0);
        QCOMPARE(m.colMin(2), -4.0);
        QCOMPARE(m.range(), 9.0);
        QCOMPARE(m.colRange(1), 1.0);
        QCOMPARE(m.normalized(0, 1), fromRows({{7 / 9.0, 3 / 9.0, 6 / 9.0}, {1, 4 / 9.0, 0}}));
        Matrix s = m;
        s.sortAscending();
        QCOMPARE(s, fromRows({{-4, -1, 0}, {2, 3, 5}}));
        s.sortDescending();
        QCOMPARE(s, fromRows({{5, 3, 2}, {0, -1, -4}}));
    }

    void bracketForm_data()
    {
        QTest::addColumn<Matrix>("m");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("2x2") << fromRows({{1, 2}, {3, 4}}) << QByteArray("[[1][2]\n [3][4]]\n");
        QTest::newRow("1x3 fractions") << fromRows({{0.5, -2.25, 1e-07}})
                                       << QByteArray("[[0.5][-2.25][1e-07]]\n");
        QTest::newRow("empty") << Matrix() << QByteArray("[]\n");
    }
    void bracketForm()
    {
        QFETCH(Matrix, m);
        QFETCH(QByteArray, text);
        std::ostringstream out;
        out << m;
        QCOMPARE(QByteArray::fromStdString(out.str()), text);
    }

    void labelledFormRoundTrip()
    {
        const Matrix m = fromRows({{1, 2.5}, {-3, 4}});
        std::ostringstream out;
        m.printLabelled(out);
        QCOMPARE(QByteArray::fromStdString(out.str()),
                 QByteArray("Rows: 2\nCols: 2\nData:\n1\n2.5\n-3\n4\n"));
        std::istringstream in(out.str());
        Matrix back;
        QVERIFY(back.readLabelled(in));
        QCOMPARE(back, m);
    }

    void damagedLabelledFormLeavesTargetUnchanged_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("missing elements") << QByteArray("Rows: 2\nCols: 2\nData:\n1\n2\n3\n");
        QTest::newRow("negative rows") << QByteArray("Rows: -1\nCols: 2\nData:\n1\n2\n");
        QTest::newRow("absurd count") << QByteArray("Rows: 1073741824\nCols: 1073741824\nData:\n");
        QTest::newRow("count not a number") << QByteArray("Rows: x\nCols: 2\nData:\n1\n2\n");
        QTest::newRow("empty") << QByteArray();
    }
    void damagedLabelledFormLeavesTargetUnchanged()
    {
        QFETCH(QByteArray, text);
        std::istringstream in(text.toStdString());
        Matrix m(7.0, 1, 1);
        m.readLabelled(in);
        QVERIFY(in.fail());
        QCOMPARE(m, Matrix(7.0, 1, 1));
    }

    void readUsesDelimitersAroundEveryElement()
    {
        Matrix m(0.0, 2, 2);
        std::istringstream in("[[1][2];[3][4]]");
        QVERIFY(m.read(in));
        QCOMPARE(m, fromRows({{1, 2}, {3, 4}}));
        Matrix kept(5.0, 2, 2);
        std::istringstream shortText("[[1][2]");
        kept.read(shortText);
        QVERIFY(shortText.fail());
        QCOMPARE(kept, Matrix(5.0, 2, 2));
    }

    void streamOfIdentityIsEightyBytes()
    {
        const QByteArray bytes = streamed(Matrix::identity(3));
        QByteArray expected = QByteArray::fromHex("0000000300000003");
        const QByteArray one = QByteArray::fromHex("3FF0000000000000");
        const QByteArray zero(8, '\0');
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                expected += r == c ? one : zero;
        QCOMPARE(bytes.size(), 80);
        QCOMPARE(bytes, expected);

        QDataStream in(bytes);
        Matrix back(2.0, 1, 1);
        in >> back;
        QCOMPARE(in.status(), QDataStream::Ok);
        QCOMPARE(back, Matrix::identity(3));
        QVERIFY(in.atEnd());
    }

    void streamRoundTripKeepsShapeAndValues_data()
    {
        QTest::addColumn<Matrix>("m");
        QTest::addColumn<Matrix>("target");
        QTest::addColumn<int>("byteOrder");
        const int big = QDataStream::BigEndian;
        const Matrix odd = fromRows({{1.5, -2, 1e-300}, {kNaN, 1e300, -0.0}});
        Matrix large(0.0, 5, 5);
        for (int i = 0; i < 25; ++i)
            large(i / 5, i % 5) = i * 0.1 - 1.0;
        QTest::newRow("2x3 into an empty target") << odd << Matrix() << big;
        QTest::newRow("3x3 into a 3x3 target") << Matrix::identity(3) * 0.5 << Matrix(9.0, 3, 3) << big;
        QTest::newRow("5x5 into a 3x3 target") << large << Matrix(9.0, 3, 3) << big;
        QTest::newRow("little-endian stream") << odd << Matrix(9.0, 2, 3)
                                              << int(QDataStream::LittleEndian);
        QTest::newRow("0x3") << Matrix(0.0, 0, 3) << Matrix(9.0, 3, 3) << big;
    }
    void streamRoundTripKeepsShapeAndValues()
    {
        QFETCH(Matrix, m);
        QFETCH(Matrix, target);
        QFETCH(int, byteOrder);
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::ByteOrder(byteOrder));
        out << m;
        QDataStream in(bytes);
        in.setByteOrder(QDataStream::ByteOrder(byteOrder));
        in >> target;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QVERIFY(bitIdentical(target, m));
    }

    void streamWritesDoublesEvenOnSinglePrecisionStream()
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setFloatingPointPrecision(QDataStream::SinglePrecision);
        out << Matrix::identity(3);
        QCOMPARE(bytes.size(), 80);
        QCOMPARE(out.floatingPointPrecision(), QDataStream::SinglePrecision);
    }

    void damagedStreamLeavesTargetUnchanged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sequential");
        QTest::addColumn<int>("status");
        const QByteArray identity = streamed(Matrix::identity(3));
        const int corrupt = QDataStream::ReadCorruptData;
        const int pastEnd = QDataStream::ReadPastEnd;
        QTest::newRow("truncated in the elements") << identity.left(50) << false << corrupt;
        QTest::newRow("truncated by one byte") << identity.left(79) << false << corrupt;
        QTest::newRow("truncated in the counts") << identity.left(6) << false << pastEnd;
        QTest::newRow("no bytes") << QByteArray() << false << pastEnd;
        QTest::newRow("rows -1") << counts(-1, 3) + identity.mid(8) << false << corrupt;
        QTest::newRow("cols -1") << counts(3, -1) + identity.mid(8) << false << corrupt;
        QTest::newRow("rows 2^30") << counts(1 << 30, 1) + identity.mid(8) << false << corrupt;
        QTest::newRow("2^16 x 2^16") << counts(1 << 16, 1 << 16) << false << corrupt;
        QTest::newRow("0 x 2^30") << counts(0, 1 << 30) << false << corrupt;
        QTest::newRow("short on a sequential device") << identity.left(50) << true << pastEnd;
        QTest::newRow("2^30 on a sequential device") << counts(1 << 30, 1) << true << corrupt;
    }
    void damagedStreamLeavesTargetUnchanged()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sequential);
        QFETCH(int, status);
        SequentialSource seq(bytes);
        QBuffer plain(&bytes);
        QIODevice& device = sequential ? static_cast<QIODevice&>(seq) : plain;
        QVERIFY(device.open(QIODevice::ReadOnly));
        QDataStream in(&device);
        const Matrix sentinel = fromRows({{1, 2}, {3, 4}});
        Matrix target = sentinel;
        in >> target;
        QCOMPARE(int(in.status()), status);
        QVERIFY(bitIdentical(target, sentinel));
    }

    void streamInErrorStateReadsNothing()
    {
        QByteArray bytes = streamed(Matrix::identity(2));
        QDataStream in(bytes);
        in.setStatus(QDataStream::ReadCorruptData);
        Matrix target(3.0, 1, 1);
        in >> target;
        QCOMPARE(target, Matrix(3.0, 1, 1));
        QCOMPARE(in.device()->pos(), qint64(0));
    }

    // A fatal error ends the application's event loop with -1: reported in the loop itself,
    // in a dialog's loop running inside it (both end), or from another thread before the loop
    // runs (the request waits in the main thread's queue). The guard ends a loop the request
    // never reached with 5 instead.
    void fatalErrorEndsApplicationLoop_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("in the application's loop") << "main loop";
        QTest::newRow("in a nested loop") << "nested loop";
        QTest::newRow("from a worker thread") << "worker";
    }
    void fatalErrorEndsApplicationLoop()
    {
        QFETCH(QString, where);
        LogCapture log;
        int nestedResult = 0;
        if (where == "worker")
            std::thread([] { ErrorMsg(QStringLiteral("fatal"), true); }).join();
        QTimer::singleShot(0, [&] {
            if (where == "main loop") {
                ErrorMsg(QStringLiteral("fatal"), true);
            } else if (where == "nested loop") {
                QEventLoop dialog;
                QTimer::singleShot(0, [] { ErrorMsg(QStringLiteral("fatal"), true); });
                nestedResult = dialog.exec();
            }
        });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(5); });
        guard.start(5000);
        QCOMPARE(QCoreApplication::exec(), -1);
        if (where == "nested loop")
            QCOMPARE(nestedResult, -1);
        QCOMPARE(log.messages(), QStringList{"\"fatal\""});
    }

    // With no loop running, a fatal report must not leave a pending quit behind that would
    // end the next dialog or wait at once.
    void fatalErrorWithoutLoopLeavesLaterLoopsAlone()
    {
        LogCapture log;
        Matrix(1.0, 2, 2) + Matrix(1.0, 1, 1);
        QEventLoop loop;
        QTimer::singleShot(10, &loop, [&loop] { loop.exit(5); });
        QCOMPARE(loop.exec(), 5);
        QCOMPARE(log.messages(), QStringList{"\"mismatched matrices in addition\""});
    }

    void nonFatalErrorKeepsLoopRunning()
    {
        QTimer::singleShot(0, [] { ErrorMsg(QStringLiteral("just a note"), false); });
        QTimer::singleShot(20, [] { QCoreApplication::exit(5); });
        LogCapture log;
        QCOMPARE(QCoreApplication::exec(), 5);
        QCOMPARE(log.messages(), QStringList{"\"just a note\""});
    }
};


QV_TEST_MAIN_CORE(TestMatrix)
#include "tst_matrix.moc"
