// Data import through the result scene: refusing damaged files without touching the results,
// files that are no data files, the stored step count, tiny gray levels and long patch lists.

#include "dataexportfixture.h"

using namespace dataexportcheck;

class TestDataImport : public DataExportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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
        importIsRefused(bytes, text);
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
        QStringList warnings;
        importIsRefused(bytes, QStringLiteral("Data Error!"), &warnings);
        if (QTest::currentTestFailed())
            return;
        const QString at = QStringLiteral("at byte %1,").arg(offset);
        QVERIFY2(warnings.join('\n').contains(at), qPrintable(warnings.join('\n')));
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

private:
    // Imports `bytes` over held results and checks the refusal: one "Import Error" box with
    // `text`, and the results and the stored step count as they were. The warnings the import
    // logged go to `warnings` when given.
    void importIsRefused(const QByteArray& bytes, const QString& text, QStringList* warnings = nullptr)
    {
        const QByteArray before = holdResults();
        writeFile(base() + ".data", bytes);
        MessageRecorder boxes;
        LogCapture log;
        QVERIFY(!scene->importFrom(base() + ".data"));
        if (warnings)
            *warnings = log.messages(QtWarningMsg);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Import Error"));
        QCOMPARE(boxes.last().text, text);
        QCOMPARE(MeasureDataFile::encode(contentsOf(*measure)), before);
        QCOMPARE(platform::readSetting("measure", "steps").toInt(), 12);
    }

    // Results in every section and a stored step count, which a refused import must leave as
    // they are; returns their encoding to compare with afterwards.
    QByteArray holdResults()
    {
        MeasureDataFile::Contents held;
        for (int s = 0; s < MeasureDataFile::SectionCount; ++s)
            held.lists[s] = colours(s + 1, 5.0);
        fill(*measure, held);
        platform::writeSetting("measure", "steps", 12);
        return MeasureDataFile::encode(contentsOf(*measure));
    }
};

QV_TEST_MAIN_APPLICATION(TestDataImport)
#include "tst_dataimport.moc"
