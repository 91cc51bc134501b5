// Libraries bound at run time: where they are looked for, in which order, and what a missing one
// leaves behind.

#include "platform/runtimelibrary.h"

#include "fakevendorlibrary.h"
#include "logcapture.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

class TestRuntimeLibrary : public QObject
{
    Q_OBJECT

private slots:
    void candidatesInSearchOrder_data();
    void candidatesInSearchOrder();
    void loadsFromTheOverrideFolder();
    void loadsFromTheProgramFolder();
    void missingLibraryLeavesNothingLoaded();
    void failureNamesEveryPlaceTried();
    void resolvesEntryPointsByName();
};

void TestRuntimeLibrary::candidatesInSearchOrder_data()
{
    QTest::addColumn<bool>("overrideSet");
    QTest::addColumn<QString>("overrideDir");
    QTest::newRow("override folder first") << true << "/opt/vendor";
    QTest::newRow("no override") << false << "";
    QTest::newRow("empty override is none") << true << "";
}

void TestRuntimeLibrary::candidatesInSearchOrder()
{
    QFETCH(bool, overrideSet);
    QFETCH(QString, overrideDir);
    const QByteArray previous = qgetenv(platform::kLibraryDirVariable);
    if (overrideSet)
        qputenv(platform::kLibraryDirVariable, overrideDir.toUtf8());
    else
        qunsetenv(platform::kLibraryDirVariable);

    QStringList expected;
    if (!overrideDir.isEmpty())
        expected << overrideDir + "/Spyder3.dll";
    expected << QCoreApplication::applicationDirPath() + "/Spyder3.dll" << "Spyder3.dll";
    QCOMPARE(platform::libraryCandidates("Spyder3.dll"), expected);
    qputenv(platform::kLibraryDirVariable, previous);
}

void TestRuntimeLibrary::loadsFromTheOverrideFolder()
{
    FakeVendorLibrary fake("kmsecs200.dll");
    QLibrary library;
    QVERIFY(platform::loadLibrary(library, "kmsecs200.dll"));
    QCOMPARE(QFileInfo(library.fileName()).canonicalFilePath(), QFileInfo(fake.path()).canonicalFilePath());
    QVERIFY(library.resolve("int_usb"));
    QVERIFY(library.unload());
}

void TestRuntimeLibrary::loadsFromTheProgramFolder()
{
    NoVendorLibraries none;
    // A library beside the program, under a name no other test uses.
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("qv-beside-the-program.dll");
    QFile::remove(beside);
    QVERIFY(QFile::copy(FakeVendorLibrary::directory(FakeVendorLibrary::Complete) + "/Spyder3.dll", beside));
    QLibrary library;
    const bool loaded = platform::loadLibrary(library, "qv-beside-the-program.dll");
    const QString from = library.fileName();
    const bool resolved = library.resolve("S3_Startup") != nullptr;
    library.unload();
    QFile::remove(beside);
    QVERIFY(loaded);
    QCOMPARE(from, beside);
    QVERIFY(resolved);
}

void TestRuntimeLibrary::missingLibraryLeavesNothingLoaded()
{
    NoVendorLibraries none;
    QLibrary library;
    QVERIFY(!platform::loadLibrary(library, "no-such-vendor-library.dll"));
    QVERIFY(!library.isLoaded());
    QCOMPARE(library.fileName(), QString("no-such-vendor-library.dll"));
}

// A user who put the library somewhere reads where the program looked and why each place failed:
// one warning, shown by default.
void TestRuntimeLibrary::failureNamesEveryPlaceTried()
{
    QTemporaryDir vendor;
    QVERIFY(vendor.isValid());
    const QByteArray previous = qgetenv(platform::kLibraryDirVariable);
    qputenv(platform::kLibraryDirVariable, vendor.path().toUtf8());
    // A file under the library's name that is no library.
    QFile broken(vendor.filePath("qv-not-a-library.dll"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a shared object");
    broken.close();

    QStringList warnings;
    {
        LogCapture log;
        QLibrary missing, notLoadable;
        QVERIFY(!platform::loadLibrary(missing, "qv-no-such-library.dll"));
        QVERIFY(!platform::loadLibrary(notLoadable, "qv-not-a-library.dll"));
        warnings = log.messages(QtWarningMsg);
    }
    qputenv(platform::kLibraryDirVariable, previous);

    QCOMPARE(warnings.size(), 2);
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& part : {QString("qv-no-such-library.dll"),
                                vendor.filePath("qv-no-such-library.dll") + " (absent)",
                                programDir + "/qv-no-such-library.dll (absent)",
                                QString("the system search path (")})
        QVERIFY2(warnings.at(0).contains(part), qPrintable(warnings.at(0) + "\n lacks " + part));
    QVERIFY2(warnings.at(1).contains(vendor.filePath("qv-not-a-library.dll") + " ("), qPrintable(warnings.at(1)));
    QVERIFY2(!warnings.at(1).contains(vendor.filePath("qv-not-a-library.dll") + " (absent)"),
             qPrintable(warnings.at(1)));
}

void TestRuntimeLibrary::resolvesEntryPointsByName()
{
    FakeVendorLibrary fake("kmsecs200.dll", FakeVendorLibrary::Incomplete);
    QLibrary library;
    QVERIFY(platform::loadLibrary(library, "kmsecs200.dll"));
    int (*open)(int) = nullptr;
    void (*read)(int, char*, int, int) = reinterpret_cast<void (*)(int, char*, int, int)>(1);
    QVERIFY(platform::resolveEntry(library, "int_usb", open));
    QVERIFY(open);
    QCOMPARE(open(0), 0);
    // Missing: false, and the pointer is cleared.
    QVERIFY(!platform::resolveEntry(library, "read64_usb", read));
    QVERIFY(!read);
    library.unload();
}

QV_TEST_MAIN_CORE(TestRuntimeLibrary)
#include "tst_runtimelibrary.moc"
