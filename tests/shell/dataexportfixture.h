#pragma once
// Data export and import through the result scene as their tests drive it: a fresh engine and
// scene for every test function, exporting into a temporary folder, the colour lists the tests
// write and read back, and file permission checks as an unprivileged user.

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

namespace dataexportcheck {

inline const int kPageWidth = 1000;
inline const int kPageHeight = 600;

inline CColor colour(double X, double Y, double Z, double r = 0.5, double g = 0.5, double b = 0.5)
{
    CColor c(X, Y, Z);
    c.levelR = r;
    c.levelG = g;
    c.levelB = b;
    return c;
}

inline QList<CColor> colours(int n, double scale = 1.0)
{
    QList<CColor> list;
    for (int i = 0; i < n; ++i)
        list << colour(scale * (i + 1), scale * (i + 2), scale * (i + 3), i / 10.0, 0.25, 1.0);
    return list;
}

inline const Measure::ResultList kAllLists[] = {
    Measure::GrayResults,        Measure::GamutResults,      Measure::ColorCheckerResults,
    Measure::EbuResults,         Measure::ColorScaleResults, Measure::SaturationResults,
    Measure::FreeResults,
};

// The lists in file order, as the data file unit holds them.
inline MeasureDataFile::Contents contentsOf(const Measure& m)
{
    MeasureDataFile::Contents c;
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
        c.lists[s] = m.results(kAllLists[s]);
    return c;
}

inline void fill(Measure& m, const MeasureDataFile::Contents& c)
{
    for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
        m.setResults(kAllLists[s], c.lists[s]);
}

inline QByteArray readFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& name, const QByteArray& bytes)
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


} // namespace dataexportcheck

// Call setUp() from init() and tearDown() from cleanup(): each test function gets its own folder,
// engine and scene, with the stored settings cleared and the real file dialog back afterwards.
class DataExportFixture : public QObject
{
protected:
    QTemporaryDir* dir = nullptr;
    Measure* measure = nullptr;
    FullScene* scene = nullptr;

    QString base(const QString& name = "run") const { return dir->filePath(name); }

    void setUp()
    {
        testenv::clearSettings();
        dir = new QTemporaryDir;
        measure = new Measure;
        scene = new FullScene(dataexportcheck::kPageWidth, dataexportcheck::kPageHeight, measure);
    }

    void tearDown()
    {
        delete scene;
        delete measure;
        delete dir;
        testenv::installModalDefaults(); // the file chooser a case set
    }
};
