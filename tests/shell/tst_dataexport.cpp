// Data export through the result scene: the file's exact bytes, the pictures beside it, the
// screen layout given back, failures that never destroy the data file that was there before, and
// the commands that ask for the file. The import's refusals are in tst_dataimport.cpp.

#include "dataexportfixture.h"

using namespace dataexportcheck;

class TestDataExport : public DataExportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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

    // The file dialog asks only about the typed name, which is never one of the files: the
    // command asks before it replaces an earlier export of that name, and replaces it as a whole.
    // The new export (gray and gamut results) writes the data file, both reports and two pictures.
    void exportOverAnEarlierOneAsksFirst_data()
    {
        QTest::addColumn<QStringList>("old");    // files of the earlier export, in the set's order
        QTest::addColumn<QString>("blocked");    // a folder where a new file would go, or none
        QTest::addColumn<QString>("answer");     // "Yes", "No", or "" for the default button
        QTest::addColumn<bool>("replaced");
        const QStringList measureAll = {"run.data", "run_Report.pdf", "run_Pro_Report.pdf",
                                        "run_gray.png", "run_gamut.png", "run_colorchecker.png",
                                        "run_colorluma.png", "run_saturation.png"};
        QTest::newRow("nothing there: no question") << QStringList() << QString() << "Yes" << true;
        QTest::newRow("data file only, No: nothing written")
            << QStringList{"run.data"} << QString() << "No" << false;
        QTest::newRow("picture only, No: nothing written")
            << QStringList{"run_colorchecker.png"} << QString() << "No" << false;
        QTest::newRow("picture only, Yes: the stale picture goes")
            << QStringList{"run_colorchecker.png"} << QString() << "Yes" << true;
        QTest::newRow("whole set, default button: every old file kept")
            << measureAll << QString() << "" << false;
        QTest::newRow("whole set, Yes: exactly the new set")
            << measureAll << QString() << "Yes" << true;
        QTest::newRow("Yes, then the detailed PDF fails: the old set stays")
            << QStringList{"run.data", "run_Report.pdf", "run_gray.png", "run_colorchecker.png",
                           "run_saturation.png"}
            << "run_Pro_Report.pdf" << "Yes" << false;
        QTest::newRow("Yes, then a picture cannot be moved in: the old set stays")
            << QStringList{"run.data", "run_Report.pdf", "run_Pro_Report.pdf",
                           "run_colorchecker.png", "run_colorluma.png"}
            << "run_gray.png" << "Yes" << false;
    }

    void exportOverAnEarlierOneAsksFirst()
    {
        QFETCH(QStringList, old);
        QFETCH(QString, blocked);
        QFETCH(QString, answer);
        QFETCH(bool, replaced);
        QVERIFY(QDir(dir->path()).mkdir("out"));
        const QDir folder(dir->filePath("out"));
        for (const QString& name : old)
            writeFile(folder.filePath(name), "old " + name.toUtf8());
        if (!blocked.isEmpty())
            QVERIFY(folder.mkdir(blocked));
        measure->setResults(Measure::GrayResults, colours(22));
        measure->setResults(Measure::GamutResults, colours(7));
        dataexport::setFileChooser([&](dataexport::DialogKind, const QString&, const QString&) {
            return folder.filePath("run");
        });

        MessageRecorder boxes;
        if (answer == "Yes")
            boxes.answerNext(QMessageBox::Yes);
        else if (answer == "No")
            boxes.answerNext(QMessageBox::No);
        scene->exportData();

        const QList<RecordedMessage> shown = boxes.messages();
        QVERIFY(!shown.isEmpty());
        if (old.isEmpty()) {
            QCOMPARE(shown.size(), 1);
        } else {
            const RecordedMessage question = shown.first();
            QCOMPARE(question.title, QString("Export Data"));
            QCOMPARE(question.text, "The export \"run\" already exists:\n" + old.join('\n'));
            QCOMPARE(question.informativeText,
                     QString("Do you want to replace the whole set? Files of the old set that this "
                             "export does not write again are removed."));
            QCOMPARE(question.standardButtons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(shown.size(), answer == "Yes" ? 2 : 1);
        }

        const QStringList entries =
            folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        if (replaced) {
            QCOMPARE(shown.last().text, QString("Data has been successfully Exported!"));
            QCOMPARE(entries, (QStringList{"run.data", "run_Pro_Report.pdf", "run_Report.pdf",
                                           "run_gamut.png", "run_gray.png"}));
            for (const QString& name : entries)
                QVERIFY2(readFile(folder.filePath(name)) != "old " + name.toUtf8(), qPrintable(name));
            return;
        }
        if (answer == "Yes")
            QCOMPARE(shown.last().title, QString("Export Error"));
        QStringList kept = old;
        if (!blocked.isEmpty())
            kept << blocked;
        kept.sort();
        // Nothing was written, nothing staged is left, and every old file is as it was.
        QCOMPARE(entries, kept);
        for (const QString& name : old)
            QCOMPARE(readFile(folder.filePath(name)), "old " + name.toUtf8());
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
