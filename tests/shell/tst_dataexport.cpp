// Data export and import through the result scene: the file's exact bytes, the pictures beside
// it, refusing damaged files without touching the results, and failures that never destroy the
// data file that was there before.

#include "apptestmain.h"
#include "logcapture.h"
#include "measure/measure.h"
#include "measure/measuredatafile.h"
#include "messagerecorder.h"
#include "platform/settings.h"
#include "shell/dataexport.h"
#include "shell/fullscene.h"
#include "testenv.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/grayview.h"
#include "ui/view/saturatview.h"
#include "ui/window/basewindow.h"
#include "ui/window/colorchkdatawindow.h"
#include "ui/window/lumawindow.h"
#include "ui/window/rgblevelwindow.h"
#include "ui/window/satdatawindow.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

#include <sys/fsuid.h>
#include <unistd.h>

namespace {

const int kPageWidth = 1000;
const int kPageHeight = 600;

CColor colour(double X, double Y, double Z, double r = 0.5, double g = 0.5, double b = 0.5)
{
    CColor c(X, Y, Z);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

QList<CColor> colours(int n, double scale = 1.0)
{
    QList<CColor> list;
    for (int i = 0; i < n; ++i)
        list << colour(scale * (i + 1), scale * (i + 2), scale * (i + 3), i / 10.0, 0.25, 1.0);
    return list;
}

const Measure::ResultList kAllLists[] = {
    Measure::GrayResults,        Measure::GamutResults,      Measure::ColorCheckerResults,
    Measure::EbuResults,         Measure::ColorScaleResults, Measure::SaturationResults,
    Measure::FreeResults,
};

// The lists in file order, as the data file unit holds them.
MeasureDataFile::Contents contentsOf(const Measure& m)
{
    MeasureDataFile::Contents c;
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
        c.lists[s] = m.results(kAllLists[s]);
    return c;
}

void fill(Measure& m, const MeasureDataFile::Contents& c)
{
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
        m.setResults(kAllLists[s], c.lists[s]);
}

QByteArray readFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// File permission checks of this thread as an unprivileged user while it lives. Root ignores
// directory permissions; its filesystem user id (and with it the override of those permissions)
// is dropped here so that a read-only directory binds the test as it binds an operator. The
// filesystem user id belongs to the calling thread alone (setfsuid is not spread to the other
// threads), the export runs on this thread, and the destructor gives the id back on every way
// out of the scope, a failed check included.
class UnprivilegedFiles
{
public:
    UnprivilegedFiles()
        : m_previous(geteuid() == 0 ? int(setfsuid(kNobody)) : -1)
    {
    }
    ~UnprivilegedFiles()
    {
        if (m_previous >= 0)
            setfsuid(uid_t(m_previous));
    }
    // Whether the checks now bind: an unprivileged user from the start, or root whose drop took
    // effect (an invalid id leaves the filesystem user id unchanged and returns it).
    bool binding() const { return m_previous < 0 || setfsuid(uid_t(-1)) == int(kNobody); }

private:
    static constexpr uid_t kNobody = 65534;
    int m_previous;
};

} // namespace

class TestDataExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* dir = nullptr;
    Measure* measure = nullptr;
    FullScene* scene = nullptr;

    QString base(const QString& name = "run") const { return dir->filePath(name); }

private slots:
    void init()
    {
        testenv::clearSettings();
        dir = new QTemporaryDir;
        measure = new Measure;
        scene = new FullScene(kPageWidth, kPageHeight, measure);
    }

    void cleanup()
    {
        delete scene;
        delete measure;
        delete dir;
        dataexport::setFileChooser({});
    }

    void emptyExportWritesTheHeaderAndSevenEmptySections()
    {
        MessageRecorder boxes;
        QVERIFY(scene->exportTo(base()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Export Data"));
        QCOMPARE(boxes.last().text, QString("Data has been successfully Exported!"));

        const QByteArray bytes = readFile(base() + ".data");
        QCOMPARE(bytes.size(), 208);
        QCOMPARE(bytes, MeasureDataFile::encode(MeasureDataFile::Contents()));
        QVERIFY(QFile::exists(base() + "_Report.pdf"));
        QVERIFY(QFile::exists(base() + "_Pro_Report.pdf"));
        QCOMPARE(QDir(dir->path()).entryList({"*.png"}), QStringList());
    }

    void fixtureExportByteForByteAndBack()
    {
        MeasureDataFile::Contents fixture;
        fixture[MeasureDataFile::GraySection] = colours(3);
        fixture[MeasureDataFile::GamutSection] = colours(7, 2.0);
        fixture[MeasureDataFile::EbuSection] = colours(2, 0.5);
        fixture[MeasureDataFile::FreeSection] = colours(2, 3.0);
        fill(*measure, fixture);

        MessageRecorder boxes;
        QVERIFY(scene->exportTo(base()));
        const QByteArray first = readFile(base() + ".data");
        QCOMPARE(first, MeasureDataFile::encode(fixture));
        // Gray: 22 + 3 x 48; the free section's records have no levels.
        QCOMPARE(first.size(), 208 + (3 + 7 + 2) * 48 + 2 * 24);

        Measure fresh;
        FullScene freshScene(kPageWidth, kPageHeight, &fresh);
        const int emptyPages = freshScene.items().size();
        QVERIFY(freshScene.importFrom(base() + ".data"));
        // The pages were laid out again and show the imported results.
        QVERIFY(freshScene.items().size() > emptyPages);
        QCOMPARE(boxes.last().title, QString("Import Data"));
        QCOMPARE(boxes.last().text, QString("Data has been successfully Imported!"));
        QVERIFY(freshScene.exportTo(base("again")));
        QCOMPARE(readFile(base("again") + ".data"), first);
        // Free colours come back without their levels.
        QCOMPARE(fresh.freeList().at(1).levelR, 0.0);
        QCOMPARE(fresh.grayList().at(2).levelR, 0.2);
    }

    void picturesFollowTheListSizes_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("pictures");
        QTest::newRow("gray white only: no picture") << int(Measure::GrayResults) << 1 << QStringList();
        QTest::newRow("gray two colours") << int(Measure::GrayResults) << 2 << QStringList{"run_gray.png"};
        QTest::newRow("gamut white only: no picture") << int(Measure::GamutResults) << 1 << QStringList();
        QTest::newRow("gamut two colours") << int(Measure::GamutResults) << 2 << QStringList{"run_gamut.png"};
        QTest::newRow("saturation white only: no picture") << int(Measure::SaturationResults) << 1 << QStringList();
        QTest::newRow("saturation two colours") << int(Measure::SaturationResults) << 2 << QStringList{"run_saturation.png"};
        QTest::newRow("colour scale one colour") << int(Measure::ColorScaleResults) << 1 << QStringList{"run_colorluma.png"};
        QTest::newRow("free one colour") << int(Measure::FreeResults) << 1 << QStringList{"run_free.png"};
        QTest::newRow("checker one colour") << int(Measure::ColorCheckerResults) << 1 << QStringList{"run_colorchecker.png"};
        QTest::newRow("EBU only: only the EBU picture") << int(Measure::EbuResults) << 1 << QStringList{"run_colorchecker_EBU.png"};
    }

    void picturesFollowTheListSizes()
    {
        QFETCH(int, list);
        QFETCH(int, size);
        QFETCH(QStringList, pictures);
        measure->setResults(Measure::ResultList(list), colours(size));
        MessageRecorder boxes;
        QVERIFY(scene->exportTo(base()));
        QCOMPARE(QDir(dir->path()).entryList({"*.png"}), pictures);
        for (const QString& name : pictures) {
            const QImage picture(dir->filePath(name));
            QCOMPARE(picture.size(), QSize(kPageWidth, kPageHeight + 25));
            // The band above the page is the fill colour.
            QCOMPARE(picture.pixelColor(kPageWidth / 2, 7), QColor(37, 37, 37));
        }
    }

    void baseNameKeepsItsEnding()
    {
        MessageRecorder boxes;
        QVERIFY(scene->exportTo(base("run.data")));
        QVERIFY(QFile::exists(base("run.data.data")));
        QVERIFY(QFile::exists(base("run.data_Report.pdf")));
        QVERIFY(QFile::exists(base("run.data_Pro_Report.pdf")));
    }

    void exportRestoresTheScreenLayout()
    {
        MessageRecorder boxes;
        measure->setResults(Measure::GrayResults, colours(22));
        QVERIFY(scene->exportTo(base()));
        QCOMPARE(scene->pageWidth(), kPageWidth);
        QCOMPARE(scene->pageHeight(), kPageHeight);
        QCOMPARE(BaseWindow::frameLevel(), int(BaseWindow::TranslucentFrameLevel));
    }

    void failedExportKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("warning"); // the warning logged, naming the file; empty: any
        QTest::newRow("summary PDF cannot be opened")
            << "run_Report.pdf" << "PDF File Open Error!" << "failed to open file, is it writable?";
        QTest::newRow("detailed PDF cannot be opened")
            << "run_Pro_Report.pdf" << "Detailed PDF File Open Error!"
            << "failed in flushing page to disk, disk full?";
        QTest::newRow("picture cannot be saved")
            << "run_free.png" << "Picture File Write Error!" << QString();
        QTest::newRow("read-only target directory") << QString() << "Data File Open Error!" << QString();
    }

    void failedExportKeepsTheOldFile()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, text);
        QFETCH(QString, warning);
        // The files go into a folder of their own, which the read-only case locks.
        QVERIFY(QDir(dir->path()).mkdir("out"));
        const QString folder = dir->filePath("out");
        const QString name = folder + "/run";
        const QByteArray old = "the data of an earlier export";
        writeFile(name + ".data", old);
        measure->setResults(Measure::FreeResults, colours(1));
        if (blocked.isEmpty()) {
            const auto readAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
            QFile::setPermissions(dir->path(), readAndEnter | QFile::WriteOwner);
            QFile::setPermissions(folder, readAndEnter);
        } else {
            // A directory where the file would go cannot be opened as a file, not even by root.
            QVERIFY(QDir(folder).mkdir(blocked));
        }

        MessageRecorder boxes;
        LogCapture log;
        {
            std::unique_ptr<UnprivilegedFiles> asOperator;
            if (blocked.isEmpty()) {
                asOperator.reset(new UnprivilegedFiles);
                QVERIFY(asOperator->binding());
            }
            QVERIFY(!scene->exportTo(name));
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Export Error"));
        QCOMPARE(boxes.last().text, text);
        if (!warning.isEmpty()) {
            const QString logged = log.messages(QtWarningMsg).filter(warning).value(0);
            QVERIFY2(logged.startsWith(warning) && logged.contains(folder + "/" + blocked),
                     qPrintable(log.messages().join('\n')));
        }
        QCOMPARE(readFile(name + ".data"), old);
        // No temporary file is left behind either.
        QCOMPARE(QDir(folder).entryList({"run.data*"}), QStringList{"run.data"});
        QCOMPARE(scene->pageWidth(), kPageWidth);
        QCOMPARE(BaseWindow::frameLevel(), int(BaseWindow::TranslucentFrameLevel));
    }

    // An export replaces the whole set of files or none of them: with any one target blocked,
    // the data file, the pictures and both reports of the earlier export all stay as they were.
    void failedExportLeavesTheWholeOldSet_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("text");
        QTest::newRow("detailed PDF blocked") << "run_Pro_Report.pdf" << "Detailed PDF File Open Error!";
        QTest::newRow("summary PDF blocked") << "run_Report.pdf" << "PDF File Open Error!";
        QTest::newRow("gray picture blocked (found while the set is moved in)")
            << "run_gray.png" << "Picture File Write Error!";
        QTest::newRow("nothing blocked: every file replaced") << QString() << QString();
    }
    void failedExportLeavesTheWholeOldSet()
    {
        QFETCH(QString, blocked);
        QFETCH(QString, text);
        QVERIFY(QDir(dir->path()).mkdir("out"));
        const QDir folder(dir->filePath("out"));
        const QStringList set = {"run.data", "run_Pro_Report.pdf", "run_Report.pdf", "run_free.png",
                                 "run_gray.png"};
        for (const QString& name : set) {
            if (name == blocked)
                QVERIFY(folder.mkdir(name)); // a folder where the file would go
            else
                writeFile(folder.filePath(name), "old " + name.toUtf8());
        }
        measure->setResults(Measure::GrayResults, colours(22));
        measure->setResults(Measure::FreeResults, colours(1));

        MessageRecorder boxes;
        const bool exported = scene->exportTo(folder.filePath("run"));
        QCOMPARE(exported, blocked.isEmpty());
        QCOMPARE(boxes.count(), 1);
        if (!blocked.isEmpty()) {
            QCOMPARE(boxes.last().title, QString("Export Error"));
            QCOMPARE(boxes.last().text, text);
        }
        for (const QString& name : set) {
            if (name == blocked)
                continue;
            const QByteArray bytes = readFile(folder.filePath(name));
            if (blocked.isEmpty())
                QVERIFY2(bytes != "old " + name.toUtf8(), qPrintable(name));
            else
                QCOMPARE(bytes, "old " + name.toUtf8());
        }
        // Nothing staged is left behind, hidden or not.
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 set);
    }

    void damagedImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        MeasureDataFile::Contents c;
        c[MeasureDataFile::GraySection] = colours(22);
        c[MeasureDataFile::GamutSection] = colours(7);
        const QByteArray good = MeasureDataFile::encode(c);
        const int gamutCount = 8 + 22 + 22 * 48 + 20;

        QTest::newRow("truncated in the header") << good.left(5) << "File Version Error!";
        QTest::newRow("truncated in the gray records") << good.left(100) << "Data Error!";
        QTest::newRow("truncated in the gamut key") << good.left(gamutCount - 6) << "Data Error!";
        QTest::newRow("truncated before the last count") << good.left(good.size() - 4)
                                                         << "Data Error!";
        QTest::newRow("huge gamut count")
            << QByteArray(good).replace(gamutCount, 4, QByteArray::fromHex("10000000"))
            << "Data Error!";
        QTest::newRow("wrong magic") << QByteArray(good).replace(0, 1, "\x13") << "File Version Error!";
        QTest::newRow("wrong version") << QByteArray(good).replace(7, 1, "\x02")
                                       << "File Version Error!";
        QTest::newRow("odd tag length") << QByteArray(good).replace(11, 1, "\x0F") << "Data Error!";
        QByteArray gamutTag = good;
        gamutTag[gamutCount - 3] = 'X';
        QTest::newRow("damaged gamut tag") << gamutTag << "Data Error!";
    }

    void damagedImportChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        MeasureDataFile::Contents held;
        for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
            held.lists[s] = colours(s + 1, 5.0);
        fill(*measure, held);
        platform::writeSetting("measure", "steps", 12);
        const QByteArray before = MeasureDataFile::encode(contentsOf(*measure));

        writeFile(base() + ".data", bytes);
        MessageRecorder boxes;
        QVERIFY(!scene->importFrom(base() + ".data"));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Import Error"));
        QCOMPARE(boxes.last().text, text);
        QCOMPARE(MeasureDataFile::encode(contentsOf(*measure)), before);
        QCOMPARE(platform::readSetting("measure", "steps").toInt(), 12);
    }

    // A file whose values are not finite numbers would fill the tables with nan and inf and draw
    // its points off the charts: it is refused like a damaged one, naming the value's offset.
    void nonFiniteImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("offset");
        MeasureDataFile::Contents c;
        c[MeasureDataFile::GraySection] = colours(22);
        c[MeasureDataFile::GamutSection] = colours(7);
        c[MeasureDataFile::FreeSection] = colours(2);
        const QByteArray good = MeasureDataFile::encode(c);
        const int grayRecords = 8 + 4 + 14 + 4; // header, key length, "GRAYCNT", count
        const int gamutRecords = grayRecords + 22 * 48 + 4 + 16 + 4;
        const int freeRecords = good.size() - 2 * 24;
        const auto with = [&good](int offset, double value) {
            QByteArray bytes = good;
            QDataStream out(&bytes, QIODevice::ReadWrite);
            MeasureDataFile::setUpStream(out);
            out.device()->seek(offset);
            out << value;
            return bytes;
        };
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("NaN as the first gray X") << with(grayRecords, nan) << grayRecords;
        QTest::newRow("+inf as the last gray Y") << with(grayRecords + 21 * 48 + 8, inf)
                                                 << grayRecords + 21 * 48 + 8;
        QTest::newRow("-inf as a gamut level") << with(gamutRecords + 3 * 48 + 40, -inf)
                                               << gamutRecords + 3 * 48 + 40;
        QTest::newRow("NaN as a gamut level") << with(gamutRecords + 24, nan) << gamutRecords + 24;
        QTest::newRow("+inf as a free Z") << with(freeRecords + 16, inf) << freeRecords + 16;
        QTest::newRow("NaN as the last free Z") << with(freeRecords + 40, nan) << freeRecords + 40;
    }

    void nonFiniteImportChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, offset);
        MeasureDataFile::Contents held;
        for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
            held.lists[s] = colours(s + 1, 5.0);
        fill(*measure, held);
        platform::writeSetting("measure", "steps", 12);
        const QByteArray before = MeasureDataFile::encode(contentsOf(*measure));

        writeFile(base() + ".data", bytes);
        MessageRecorder boxes;
        LogCapture log;
        QVERIFY(!scene->importFrom(base() + ".data"));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Import Error"));
        QCOMPARE(boxes.last().text, QString("Data Error!"));
        QCOMPARE(MeasureDataFile::encode(contentsOf(*measure)), before);
        QCOMPARE(platform::readSetting("measure", "steps").toInt(), 12);
        const QString at = QStringLiteral("at byte %1,").arg(offset);
        QVERIFY2(log.messages(QtWarningMsg).join('\n').contains(at), qPrintable(log.messages().join('\n')));
    }

    void importOfADeviceThatNeverEnds()
    {
        measure->setResults(Measure::GrayResults, colours(3));
        MessageRecorder boxes;
        QVERIFY(!scene->importFrom("/dev/zero"));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, QString("Data Error!"));
        QCOMPARE(measure->grayList().size(), 3);
    }

    void importOfAMissingFile()
    {
        MessageRecorder boxes;
        QVERIFY(!scene->importFrom(base("missing") + ".data"));
        QCOMPARE(boxes.last().title, QString("Import Error"));
        QCOMPARE(boxes.last().text, QString("File Open Error!"));
    }

    void importStoresOnlyAUsableStepCount_data()
    {
        QTest::addColumn<int>("grayRecords");
        QTest::addColumn<int>("steps");
        QTest::newRow("22 records: 20 steps") << 22 << 20;
        QTest::newRow("3 records: 1 step") << 3 << 1;
        QTest::newRow("2 records: setting kept") << 2 << 33;
        QTest::newRow("white only: setting kept") << 1 << 33;
        QTest::newRow("empty gray section: setting kept") << 0 << 33;
    }

    void importStoresOnlyAUsableStepCount()
    {
        QFETCH(int, grayRecords);
        QFETCH(int, steps);
        platform::writeSetting("measure", "steps", 33);
        MeasureDataFile::Contents c;
        c[MeasureDataFile::GraySection] = colours(grayRecords);
        writeFile(base() + ".data", MeasureDataFile::encode(c));
        MessageRecorder boxes;
        QVERIFY(scene->importFrom(base() + ".data"));
        QCOMPARE(measure->grayList().size(), grayRecords);
        QCOMPARE(platform::readSetting("measure", "steps").toInt(), steps);
    }

    // A valid file whose gray levels are tiny (the third record's 1e-9 would mean 10^9 steps)
    // is imported and drawn like any other: the step count comes from the list, not the level.
    void importOfTinyGrayLevels_data()
    {
        QTest::addColumn<double>("level");
        QTest::newRow("1e-9 in the third record") << 1e-9;
        QTest::newRow("4.5e-8 in the third record") << 4.5e-8;
    }
    void importOfTinyGrayLevels()
    {
        QFETCH(double, level);
        MeasureDataFile::Contents c;
        QList<CColor> gray = colours(22);
        for (int i = 0; i < gray.size(); ++i)
            gray[i].levelR = gray[i].levelG = gray[i].levelB = i == 0 ? 1.0 : double(i - 1) / 20;
        gray[2].levelR = gray[2].levelG = gray[2].levelB = level;
        c[MeasureDataFile::GraySection] = gray;
        writeFile(base() + ".data", MeasureDataFile::encode(c));
        MessageRecorder boxes;
        QVERIFY(scene->importFrom(base() + ".data"));
        QCOMPARE(boxes.last().text, QString("Data has been successfully Imported!"));
        QCOMPARE(measure->grayList().at(2).levelR, level);
        QCOMPARE(GrayView::runStepCount(measure->grayList()), 0);
        QCOMPARE(scene->grayView()->lumaWindow->stepCount(), 20);
        QCOMPARE(scene->grayView()->rgbLevelWindow->stepCount(), 20);
    }

    void importOfLongPatchListsShowsThePagesPatches_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("shown");
        QTest::newRow("saturation, 40 records") << int(MeasureDataFile::SatSection) << 0 << 40 << 30;
        QTest::newRow("colour scale, 40 records") << int(MeasureDataFile::ColorLumaSection) << 0 << 40 << 30;
        QTest::newRow("colour checker, 25 records") << int(MeasureDataFile::ColorChkSection) << 0 << 25 << 18;
        QTest::newRow("EBU 3237, 25 records") << int(MeasureDataFile::EbuSection) << 1 << 25 << 15;
    }

    void importOfLongPatchListsShowsThePagesPatches()
    {
        QFETCH(int, section);
        QFETCH(int, colorType);
        QFETCH(int, records);
        QFETCH(int, shown);
        platform::writeSetting("measure", "colortype", colorType);
        MeasureDataFile::Contents c;
        c[MeasureDataFile::Section(section)] = colours(records);
        writeFile(base() + ".data", MeasureDataFile::encode(c));
        MessageRecorder boxes;
        QVERIFY(scene->importFrom(base() + ".data"));
        QCOMPARE(boxes.last().text, QString("Data has been successfully Imported!"));
        QList<QGraphicsItem*> bars;
        QTableWidget* table = nullptr;
        int listSize = 0;
        switch (section) {
        case MeasureDataFile::SatSection:
            bars = scene->saturatView()->bars();
            table = scene->saturatView()->dataWindow->currentTable();
            listSize = measure->satList().size();
            break;
        case MeasureDataFile::ColorLumaSection:
            bars = scene->colorLumaView()->bars();
            table = scene->colorLumaView()->dataWindow->currentTable();
            listSize = measure->colorLumaList().size();
            break;
        default:
            bars = scene->colorChkView()->bars();
            table = scene->colorChkView()->dataWindow->currentTable();
            listSize = colorType == 1 ? measure->ebuList().size() : measure->colorChkList().size();
            break;
        }
        // Every record stays in the data; the page shows the patches it has rows and names for.
        QCOMPARE(listSize, records);
        QCOMPARE(bars.size(), shown);
        QCOMPARE(table->rowCount(), shown);
        int filled = 0;
        for (int r = 0; r < table->rowCount(); ++r)
            filled += table->item(r, 0) != nullptr;
        QCOMPARE(filled, shown);
    }

    void slotsAskForTheFileAndRememberItsFolder()
    {
        platform::writeSetting("export", "savedir", "/nowhere");
        QStringList asked;
        QString answer;
        dataexport::setFileChooser([&](dataexport::DialogKind kind, const QString& caption,
                                       const QString& startDir) {
            asked << QString("%1|%2|%3")
                         .arg(kind == dataexport::DialogKind::Save ? "save" : "open", caption,
                              startDir);
            return answer;
        });
        MessageRecorder boxes;

        // Cancelled: nothing written, nothing said.
        scene->exportData();
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(asked, QStringList{"save|Save Data|/nowhere"});
        QCOMPARE(platform::readSetting("export", "savedir").toString(), QString("/nowhere"));

        QDir(dir->path()).mkdir("sub");
        answer = dir->filePath("sub/run");
        scene->exportData();
        QCOMPARE(boxes.last().text, QString("Data has been successfully Exported!"));
        QVERIFY(QFile::exists(answer + ".data"));
        QCOMPARE(platform::readSetting("export", "savedir").toString(), dir->filePath("sub"));

        answer = answer + ".data";
        scene->importData();
        QCOMPARE(asked.last(), "open|Open datafile|" + dir->filePath("sub"));
        QCOMPARE(boxes.last().text, QString("Data has been successfully Imported!"));
    }
};

QV_TEST_MAIN_APPLICATION(TestDataExport)
#include "tst_dataexport.moc"
