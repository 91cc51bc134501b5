// The instrument correction matrix, the check before it, and the stimulus-level helpers.
#include "logcapture.h"
#include "testenv.h"

#include "colour/color.h"
#include "colour/colorreference.h"
#include "colour/correction.h"
#include "colour/stimuluslevels.h"

#include <cmath>

namespace {

// A display with Rec.709 primaries at 120 cd/m2 white, as a reference instrument reads it:
// columns red, green, blue; rows X, Y, Z.
const double kDisplay[9] = {
    49.4912, 42.9094, 21.6557,
    25.5188, 85.8188, 8.6623,
    2.3198, 14.3032, 114.0534,
};
// The colorimeter's systematic error on this display's spectra: a reading is E x true XYZ.
const double kInstrumentError[9] = {
    1.031, 0.024, -0.012,
    0.009, 0.982, 0.017,
    -0.006, 0.033, 1.064,
};

Matrix columnSum(const Matrix& m)
{
    return m * Matrix(1.0, 3, 1);
}

double relativeError(const Matrix& a, const Matrix& b)
{
    double worst = 0;
    for (int r = 0; r < a.rows(); ++r)
        for (int c = 0; c < a.cols(); ++c)
            worst = std::fmax(worst, std::fabs(a(r, c) - b(r, c)) / std::fmax(1.0, std::fabs(b(r, c))));
    return worst;
}

} // namespace

Q_DECLARE_METATYPE(Matrix)

class TestCorrection : public QObject
{
    Q_OBJECT
private slots:
    void equalReadingsGiveIdentity()
    {
        const Matrix display(kDisplay, 3, 3);
        const CColor white(columnSum(display));
        const Matrix k = CColor::correctionMatrix(display, display, white, white);
        QVERIFY(relativeError(k, Matrix::identity(3)) < 1e-12);
    }

    // Without whites the three-colour correction R M^-1, whatever the other white holds.
    void withoutWhitesIsReferenceTimesInverse_data()
    {
        QTest::addColumn<bool>("measuredWhiteNull");
        QTest::addColumn<bool>("referenceWhiteNull");
        QTest::addRow("both whites null") << true << true;
        QTest::addRow("measured white null") << true << false;
        QTest::addRow("reference white null") << false << true;
    }
    void withoutWhitesIsReferenceTimesInverse()
    {
        QFETCH(bool, measuredWhiteNull);
        QFETCH(bool, referenceWhiteNull);
        const Matrix reference(kDisplay, 3, 3);
        const Matrix measured = Matrix(kInstrumentError, 3, 3) * reference;
        const CColor somewhere(10.0, 20.0, 30.0);
        const Matrix k = CColor::correctionMatrix(measured, reference,
                                                  measuredWhiteNull ? nullColor : somewhere,
                                                  referenceWhiteNull ? nullColor : somewhere);
        QVERIFY(k == reference * measured.inverse());
    }

    // Four-colour case on a realistic fixture: the corrected white is the reference white,
    // and since the error is linear the correction undoes it.
    void fourColourMapsWhiteOntoWhite()
    {
        const Matrix reference(kDisplay, 3, 3);
        const Matrix error(kInstrumentError, 3, 3);
        const Matrix measured = error * reference;
        const CColor referenceWhite(columnSum(reference));
        const CColor measuredWhite(error * referenceWhite);
        const Matrix k = CColor::correctionMatrix(measured, reference, measuredWhite, referenceWhite);
        QVERIFY(relativeError(k * measuredWhite, referenceWhite) < 1e-12);
        QVERIFY(relativeError(k * error, Matrix::identity(3)) < 1e-12);

        // A white that is not the sum of the primaries (a display whose white is not balanced
        // the same way for both): still mapped exactly, the primaries only in direction.
        const CColor otherWhite(118.0, 121.5, 135.0);
        const CColor otherMeasured(error * otherWhite);
        QString why;
        QVERIFY2(canComputeCorrection(measured, reference, otherMeasured, otherWhite, &why), qPrintable(why));
        const Matrix k2 = CColor::correctionMatrix(measured, reference, otherMeasured, otherWhite);
        QVERIFY(relativeError(k2 * otherMeasured, otherWhite) < 1e-12);
    }

    // Inputs the check must refuse before any matrix error can be reported.
    void checkRefusesBadInputs_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("message");
        QTest::addRow("null primary reading") << "null primary" << "Invalid sensor reading!";
        QTest::addRow("null white reading") << "null white" << "Invalid sensor reading!";
        QTest::addRow("singular measured matrix") << "singular measured" << "Abnormal sensor matrix!";
        QTest::addRow("measured nearly singular") << "nearly singular measured" << "Abnormal sensor matrix!";
        QTest::addRow("singular reference matrix") << "singular reference" << "Abnormal matrix!";
        QTest::addRow("measured white between two primaries") << "white in a face" << "Abnormal sensor white!";
        QTest::addRow("infinite reference value") << "infinite reference" << "Abnormal matrix!";
        QTest::addRow("not 3x3") << "wrong size" << "Abnormal sensor matrix!";
        QTest::addRow("three readings beside the patch")
            << "barely differ" << "The sensor values of red, green and blue barely differ. Is the sensor on the colour patch?";
    }
    void checkRefusesBadInputs()
    {
        QFETCH(QString, bad);
        QFETCH(QString, message);
        Matrix reference(kDisplay, 3, 3);
        Matrix measured = Matrix(kInstrumentError, 3, 3) * reference;
        CColor referenceWhite(columnSum(reference));
        CColor measuredWhite(columnSum(measured));
        if (bad == "null primary")
            for (int r = 0; r < 3; ++r)
                measured(r, 1) = nullColor[r];
        if (bad == "null white")
            measuredWhite = nullColor;
        if (bad == "singular measured")
            for (int r = 0; r < 3; ++r)
                measured(r, 2) = 2.0 * measured(r, 0); // blue read as twice the red
        if (bad == "nearly singular measured")
            for (int r = 0; r < 3; ++r)
                measured(r, 2) = measured(r, 0) * (1.0 + 1e-15 * r); // blue all but on red's line
        if (bad == "singular reference")
            for (int c = 0; c < 3; ++c)
                reference(1, c) = 0.0; // a row of zeros typed in
        if (bad == "white in a face")
            measuredWhite = CColor(measured(0, 0) + measured(0, 1), measured(1, 0) + measured(1, 1),
                                   measured(2, 0) + measured(2, 1)); // red + green, no blue
        if (bad == "infinite reference")
            reference(2, 2) = HUGE_VAL;
        if (bad == "wrong size")
            measured = Matrix(1.0, 3, 2);
        if (bad == "barely differ") {
            // The room's light read three times, two per cent apart.
            const double readings[9] = {20.0, 20.2, 20.1, 21.0, 21.1, 21.4, 23.0, 23.4, 22.9};
            measured = Matrix(readings, 3, 3);
        }

        LogCapture log;
        QString why;
        const bool accepted = canComputeCorrection(measured, reference, measuredWhite, referenceWhite, &why);
        QVERIFY(!accepted);
        QCOMPARE(why, message);
        QVERIFY2(log.messages().isEmpty(), qPrintable(log.messages().join('\n')));
    }

    // A display's white lies inside its primaries: each white is the sum of its primaries with
    // positive weights. A white with a weight that is zero, negative or not a number would store
    // a correction that gives (0,0,0), negated or meaningless readings; either white is refused
    // before that, and a sound pair still gives the correction that undoes the instrument's error.
    void whitesOutsideTheirPrimariesAreRefused_data()
    {
        QTest::addColumn<QString>("which"); // the white that differs: "reference", "measured"
        QTest::addColumn<QString>("white");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString reference = "Abnormal reference white!", measured = "Abnormal sensor white!";
        QTest::addRow("reference white 0 0 0") << "reference" << "zero" << reference;
        QTest::addRow("reference white negated") << "reference" << "negated" << reference;
        QTest::addRow("reference white between red and green") << "reference" << "in a face" << reference;
        QTest::addRow("reference white beyond blue") << "reference" << "beyond" << reference;
        QTest::addRow("reference white not a number") << "reference" << "nan" << reference;
        QTest::addRow("measured white 0 0 0") << "measured" << "zero" << measured;
        QTest::addRow("measured white negated") << "measured" << "negated" << measured;
        QTest::addRow("measured white between red and green") << "measured" << "in a face" << measured;
        QTest::addRow("measured white beyond blue") << "measured" << "beyond" << measured;
        QTest::addRow("measured white not a number") << "measured" << "nan" << "Invalid sensor reading!";
        QTest::addRow("sound whites") << "" << "" << "";
    }
    void whitesOutsideTheirPrimariesAreRefused()
    {
        QFETCH(QString, which);
        QFETCH(QString, white);
        QFETCH(QString, message);
        const Matrix reference(kDisplay, 3, 3);
        const Matrix error(kInstrumentError, 3, 3);
        const Matrix measured = error * reference;
        CColor referenceWhite(columnSum(reference));
        CColor measuredWhite(error * referenceWhite);
        const Matrix& primaries = which == "reference" ? reference : measured;
        CColor& changed = which == "reference" ? referenceWhite : measuredWhite;
        for (int r = 0; r < 3; ++r) {
            if (white == "zero")
                changed[r] = 0.0;
            if (white == "negated")
                changed[r] = -changed[r];
            if (white == "in a face")
                changed[r] = primaries(r, 0) + primaries(r, 1); // red + green, no blue
            if (white == "beyond")
                changed[r] = primaries(r, 0) + primaries(r, 1) - 0.2 * primaries(r, 2);
        }
        if (white == "nan")
            changed[1] = std::nan("");

        LogCapture log;
        QString why;
        const bool accepted = canComputeCorrection(measured, reference, measuredWhite, referenceWhite, &why);
        QCOMPARE(why, message);
        QCOMPARE(accepted, message.isEmpty());
        if (accepted) {
            const Matrix k = CColor::correctionMatrix(measured, reference, measuredWhite, referenceWhite);
            QVERIFY(relativeError(k * error, Matrix::identity(3)) < 1e-12);
        }
        QVERIFY2(log.messages().isEmpty(), qPrintable(log.messages().join('\n')));
    }

    // The condition number of the primaries of real displays stays far below the limit, also
    // when one channel gives little light; readings that barely differ lie far above it.
    void conditionOfPrimaries_data()
    {
        QTest::addColumn<Matrix>("primaries");
        QTest::addColumn<bool>("accepted");
        auto display = [](ColorStandard standard, int dimChannel = -1) {
            Matrix m = ColorReference(standard).rgbToXyz * 100.0;
            for (int r = 0; dimChannel >= 0 && r < 3; ++r)
                m(r, dimChannel) *= 0.1;
            return m;
        };
        QTest::addRow("Rec709 display") << display(StandardHdtvRec709) << true;
        QTest::addRow("BT.2020 display") << display(StandardUhdtvBt2020) << true;
        QTest::addRow("SMPTE-C display") << display(StandardSmpteC) << true;
        QTest::addRow("Rec709, red at a tenth") << display(StandardHdtvRec709, 0) << true;
        QTest::addRow("read with the instrument's error")
            << Matrix(kInstrumentError, 3, 3) * Matrix(kDisplay, 3, 3) << true;
        const double fivePerCent[9] = {20.0, 21.0, 19.4, 21.0, 20.0, 21.3, 23.0, 23.9, 22.0};
        QTest::addRow("three readings five per cent apart") << Matrix(fivePerCent, 3, 3) << false;
        const double alike[9] = {20.0, 20.01, 20.0, 21.0, 21.0, 21.02, 23.0, 23.0, 23.0};
        QTest::addRow("three readings a thousandth apart") << Matrix(alike, 3, 3) << false;
        QTest::addRow("singular") << Matrix(1.0, 3, 3) << false;
    }
    void conditionOfPrimaries()
    {
        QFETCH(Matrix, primaries);
        QFETCH(bool, accepted);
        const double k = conditionNumber(primaries);
        QVERIFY2((k <= kMaxPrimariesCondition) == accepted, qPrintable(QString::number(k)));
    }

    // Everything the check accepts computes without a matrix error, with or without the
    // reference white, also where the elimination has to exchange rows.
    void acceptedInputsComputeSilently_data()
    {
        QTest::addColumn<bool>("withReferenceWhite");
        QTest::addColumn<bool>("zeroPivot");
        QTest::addRow("four colours") << true << false;
        QTest::addRow("three colours") << false << false;
        QTest::addRow("four colours, zero pivots") << true << true;
        QTest::addRow("three colours, zero pivots") << false << true;
    }
    void acceptedInputsComputeSilently()
    {
        QFETCH(bool, withReferenceWhite);
        QFETCH(bool, zeroPivot);
        Matrix reference(kDisplay, 3, 3);
        Matrix measured = Matrix(kInstrumentError, 3, 3) * reference;
        if (zeroPivot) {
            // Each red with no X: the first pivot of both eliminations is exactly zero.
            reference(0, 0) = 0.0;
            measured(0, 0) = 0.0;
        }
        const CColor referenceWhite = withReferenceWhite ? CColor(columnSum(reference)) : nullColor;
        const CColor measuredWhite(columnSum(measured));
        LogCapture log;
        const bool accepted = canComputeCorrection(measured, reference, measuredWhite, referenceWhite, nullptr);
        const Matrix k = CColor::correctionMatrix(measured, reference, measuredWhite, referenceWhite);
        QVERIFY(accepted);
        QVERIFY2(log.messages().isEmpty(), qPrintable(log.messages().join('\n')));
        QVERIFY(relativeError(k * measured, reference) < 1e-12);
    }

    void stepLevelPercent_data()
    {
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("setup");
        QTest::addColumn<double>("percent");
        QTest::addRow("setup black") << 0 << 12 << true << 7.5;
        QTest::addRow("setup first grey") << 1 << 12 << true << 10.0;
        QTest::addRow("setup last") << 11 << 12 << true << 100.0;
        QTest::addRow("setup, 11 steps: equal steps") << 3 << 11 << true << 30.0;
        QTest::addRow("no setup") << 5 << 11 << false << 50.0;
        QTest::addRow("setup, 21 steps, uneven step in double") << 2 << 21 << true << 10.0 + 90.0 / 19.0;
        QTest::addRow("no setup, 3 steps, not an integer") << 1 << 4 << false << 100.0 / 3.0;
        QTest::addRow("one step") << 0 << 1 << false << 0.0;
        QTest::addRow("setup black of one step is the pedestal") << 0 << 1 << true << 7.5;
        QTest::addRow("setup black of no steps is the pedestal") << 0 << 0 << true << 7.5;
        QTest::addRow("setup, one step, beyond black: no step size") << 1 << 1 << true << 0.0;
        QTest::addRow("negative steps") << 3 << -2 << false << 0.0;
    }
    void stepLevelPercent()
    {
        QFETCH(int, i);
        QFETCH(int, n);
        QFETCH(bool, setup);
        QFETCH(double, percent);
        QCOMPARE(::stepLevelPercent(i, n, setup), percent);
    }

    void levelFraction_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<bool>("setup");
        QTest::addColumn<double>("fraction");
        QTest::addRow("setup black") << 7.5 << true << 0.0;
        QTest::addRow("below setup") << 3.0 << true << 0.0;
        QTest::addRow("setup full") << 100.0 << true << 1.0;
        QTest::addRow("setup half way") << 53.75 << true << 0.5;
        QTest::addRow("no setup") << 50.0 << false << 0.5;
    }
    void levelFraction()
    {
        QFETCH(double, percent);
        QFETCH(bool, setup);
        QFETCH(double, fraction);
        QCOMPARE(::levelFraction(percent, setup), fraction);
    }

    void stimulusLevels()
    {
        const StimulusLevels grey(53.75, true, 'g');
        QCOMPARE(grey.r, 50.0);
        QCOMPARE(grey.g, 50.0);
        QCOMPARE(grey.b, 50.0);
        QCOMPARE(grey.flag, 'g');
        const StimulusLevels rgb(5.0, 100.0, 7.5, true, 3);
        QCOMPARE(rgb.r, 0.0);
        QVERIFY(std::fabs(rgb.g - 100.0) < 1e-12);
        QCOMPARE(rgb.b, 0.0);
        const StimulusLevels plain(5.0, 100.0, 7.5, false, 0);
        QCOMPARE(plain.r, 5.0);
        QCOMPARE(plain.b, 7.5);
    }
};

QV_TEST_MAIN_CORE(TestCorrection)
#include "tst_correction.moc"
