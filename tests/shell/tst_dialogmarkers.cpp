// The radio-button and check-box markers of the dark dialogs (Options, monitor calibration,
// sensor calibration, sensor selection) as the user sees them: each marker's ring or box stands
// out from the dialog's background, and a chosen marker is told from an unchosen one at a glance.
// Contrast is the ratio of relative luminances of WCAG 2.1, which asks 3:1 of the parts of a
// control the user must see. The pictures are kept as test artefacts.

#include "measure/measure.h"
#include "measure/measurethread.h"
#include "shell/caldialog.h"
#include "shell/calibratedialog.h"
#include "shell/initdialog.h"
#include "shell/optiondialog.h"

#include "apptestmain.h"
#include "contrast.h"
#include "testenv.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabWidget>

#include <cmath>
#include <memory>

namespace {

// Of an enabled control; a control that cannot be changed may be dimmed, but is still seen.
constexpr double kEnabledContrast = 3.0;
constexpr double kDisabledContrast = 2.0;

// The colour most pixels of the image have: the background the control stands on.
QRgb background(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return best;
}

// Highest contrast of any pixel of `marker` against `ground`.
double markerContrast(const QImage& marker, QRgb ground)
{
    double best = 1.0;
    for (int y = 0; y < marker.height(); ++y)
        for (int x = 0; x < marker.width(); ++x)
            best = qMax(best, contrast::ratio(marker.pixel(x, y), ground));
    return best;
}

// Highest contrast between the same pixel of two pictures of one marker.
double changeContrast(const QImage& a, const QImage& b)
{
    double best = 1.0;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y)
        for (int x = 0; x < qMin(a.width(), b.width()); ++x)
            best = qMax(best, contrast::ratio(a.pixel(x, y), b.pixel(x, y)));
    return best;
}

QRect markerRect(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const bool radio = qobject_cast<QRadioButton*>(button);
    return button->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, button);
}

// What the dialog shows of the button (the whole button, so the ground around the marker is in
// it) and of its marker alone.
struct Face
{
    QImage button;
    QImage marker;
};

Face faceOf(QWidget* dialog, QAbstractButton* button)
{
    const QPoint at = button->mapTo(dialog, QPoint(0, 0));
    const QImage whole = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = whole.copy(QRect(at, button->size()));
    return {shown, shown.copy(markerRect(button))};
}

// Sets a marker's state whatever its group allows, and puts everything back when it goes.
class MarkerState
{
public:
    explicit MarkerState(QAbstractButton* b)
        : button(b), checked(b->isChecked()), exclusive(b->autoExclusive()),
          groupExclusive(b->group() && b->group()->exclusive())
    {
        b->setAutoExclusive(false);
        if (b->group())
            b->group()->setExclusive(false);
    }
    ~MarkerState()
    {
        button->setChecked(checked);
        button->setAutoExclusive(exclusive);
        if (button->group())
            button->group()->setExclusive(groupExclusive);
    }
    void set(bool on) { button->setChecked(on); }

private:
    QAbstractButton* button;
    bool checked;
    bool exclusive;
    bool groupExclusive;
};

} // namespace

class TestDialogMarkers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MeasureThread> thread;

    std::unique_ptr<QWidget> makeDialog(const QString& which)
    {
        if (which == "options")
            return std::make_unique<OptionDialog>(31, thread->measure(), 1, nullptr);
        if (which == "monitor calibration")
            return std::make_unique<CalDialog>();
        if (which == "sensor calibration")
            return std::make_unique<CalibrateDialog>(thread->measure());
        return std::make_unique<InitDialog>(nullptr);
    }

private slots:
    void init()
    {
        testenv::clearSettings();
        thread = std::make_unique<MeasureThread>();
    }
    void cleanup() { thread.reset(); }

    void markersStandOutAndShowTheChoice_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("markers"); // how many the dialog shows
        QTest::newRow("Options: reference and measure pages") << "options" << 7;
        QTest::newRow("monitor calibration") << "monitor calibration" << 7;
        QTest::newRow("sensor calibration") << "sensor calibration" << 4;
        QTest::newRow("sensor selection") << "sensor selection" << 2;
    }

    void markersStandOutAndShowTheChoice()
    {
        QFETCH(QString, dialog);
        QFETCH(int, markers);
        std::unique_ptr<QWidget> d = makeDialog(dialog);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));

        // Every marker on show, the dialog's tab pages turned one by one.
        QTabWidget* tabs = d->findChild<QTabWidget*>();
        int checkedMarkers = 0;
        for (int page = 0; page < (tabs ? tabs->count() : 1); ++page) {
            if (tabs)
                tabs->setCurrentIndex(page);
            for (QAbstractButton* b : d->findChildren<QAbstractButton*>()) {
                if (!(qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b)) || !b->isVisible())
                    continue;
                Face off, on;
                {
                    MarkerState state(b);
                    state.set(false);
                    off = faceOf(d.get(), b);
                    state.set(true);
                    on = faceOf(d.get(), b);
                }
                const QString name = dialog + " / " + b->text();
                on.button.save(QDir(testenv::artifactDir())
                                   .filePath(QString("dialogmarker_%1_%2.png").arg(dialog, b->text())
                                                 .replace(' ', '_')));
                const double needed = b->isEnabled() ? kEnabledContrast : kDisabledContrast;
                const double ring = markerContrast(off.marker, background(off.button));
                const double mark = changeContrast(on.marker, off.marker);
                QVERIFY2(ring >= needed,
                         qPrintable(QString("%1: the unchosen marker stands out %2:1").arg(name).arg(ring)));
                QVERIFY2(mark >= needed,
                         qPrintable(QString("%1: the choice changes the marker %2:1").arg(name).arg(mark)));
                ++checkedMarkers;
            }
            d->grab().save(QDir(testenv::artifactDir())
                               .filePath(QString("dialogmarkers_%1_%2.png").arg(dialog).arg(page).replace(' ', '_')));
        }
        QCOMPARE(checkedMarkers, markers);
    }
};

QV_TEST_MAIN_APPLICATION(TestDialogMarkers)
#include "tst_dialogmarkers.moc"
