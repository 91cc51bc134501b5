// Data export and import of the result scene: the measurement data file (its format is
// measure/measuredatafile.h), the page pictures and the two PDF reports.
//
// The export never leaves a mixed set: the data file, the pictures and both reports are written
// into a staging folder beside their targets (shell/exportfileset.h) and replace the old set
// together, only once every one of them is complete; a file of the old set that the new export
// does not write (a picture of a page without results now) goes with it. When anything fails the
// user is told which part, every old file stays as it was and nothing staged is left behind.
// Before an old set is replaced the user is asked; "No" writes nothing. The import is all or
// nothing: the whole file is validated first, and only a valid file replaces the result lists.

#include "shell/dataexport.h"

#include "measure/measuredatafile.h"
#include "platform/logging.h"
#include "platform/settings.h"
#include "appcore/application.h"
#include "shell/exportfileset.h"
#include "shell/fullscene.h"
#include "appcore/imessagebox.h"
#include "ui/view/colorchkview.h"
#include "ui/view/colorlumaview.h"
#include "ui/view/freeview.h"
#include "ui/view/gamutview.h"
#include "ui/view/grayview.h"
#include "ui/view/reportpage.h"
#include "ui/view/saturatview.h"
#include "ui/view/viewdata.h"
#include "ui/window/basewindow.h"

#include <QDataStream>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <QtDebug>

#include <memory>

// The charts are rendered into the reports from pages of this fixed size, so that every report
// looks the same whatever the size of the main window.
const QSize FullScene::printPageSize(1200, 510);

namespace {

dataexport::FileChooser& chooserSlot()
{
    static dataexport::FileChooser chooser;
    return chooser;
}

QString runFileDialog(dataexport::DialogKind kind, const QString& caption, const QString& startDir)
{
    // A temporary parentless widget carries the style sheet into the non-native dialog.
    QWidget styled;
    styled.setStyleSheet(fileDialogStyle);
    if (kind == dataexport::DialogKind::Save)
        return QFileDialog::getSaveFileName(&styled, caption, startDir, QString(), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    return QFileDialog::getOpenFileName(&styled, caption, startDir, QString(), nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

void showBox(const QString& title, const QString& text, const QString& informative = QString())
{
    IMessageBox box(title, text, informative);
    box.exec();
}

// Every file of an export, after the base name: the data file, the two reports and the page
// pictures. Only the ones whose pages hold results are written, but all of them belong to the set.
const QString kDataSuffix = QStringLiteral(".data");
const QString kSummarySuffix = QStringLiteral("_Report.pdf");
const QString kDetailSuffix = QStringLiteral("_Pro_Report.pdf");

QStringList exportMembers()
{
    return QStringList{kDataSuffix, kSummarySuffix, kDetailSuffix} + viewdata::pictureSuffixes();
}

// Asks whether the earlier export of `baseName` (its files `existing`) may be replaced as a
// whole. The file dialog asked only about the typed name, which is none of the files.
bool replaceEarlierExport(const QString& baseName, const QStringList& existing)
{
    IMessageBox box(FullScene::tr("Export Data"),
                    FullScene::tr("The export \"%1\" already exists:\n%2")
                        .arg(QFileInfo(baseName).fileName(), existing.join(QLatin1Char('\n'))),
                    FullScene::tr("Do you want to replace the whole set? Files of the old set that "
                                  "this export does not write again are removed."));
    // The names are the user's: shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

// Largest data file the import reads into memory: room for ten million colours, far beyond
// any measurement.
const qint64 kMaxDataFileBytes = qint64(10000000) * 48 + 1024;

const QString kExportGroup = QStringLiteral("export");
const QString kSaveDirKey = QStringLiteral("savedir");

} // namespace

QString dataexport::chooseFile(DialogKind kind, const QString& caption, const QString& startDir)
{
    const FileChooser& chooser = chooserSlot();
    return chooser ? chooser(kind, caption, startDir) : runFileDialog(kind, caption, startDir);
}

dataexport::FileChooser dataexport::setFileChooser(FileChooser chooser)
{
    FileChooser previous = chooserSlot();
    chooserSlot() = std::move(chooser);
    return previous;
}

void FullScene::exportData()
{
    const QString dir = platform::readSetting(kExportGroup, kSaveDirKey, QString()).toString();
    qCDebug(platform::programLog) << "export dir" << dir;
    const QString base = dataexport::chooseFile(dataexport::DialogKind::Save, tr("Save Data"), dir);
    if (base.isEmpty())
        return;
    platform::writeSetting(kExportGroup, kSaveDirKey,
                           QFileInfo(base + kDataSuffix).absolutePath());
    const QStringList existing = ExportFileSet::existingMembers(base, exportMembers());
    if (!existing.isEmpty() && !replaceEarlierExport(base, existing)) {
        qCDebug(platform::programLog).noquote() << base << ": the earlier export is kept";
        return;
    }
    exportTo(base);
}

void FullScene::importData()
{
    const QString dir = platform::readSetting(kExportGroup, kSaveDirKey, QString()).toString();
    const QString name =
        dataexport::chooseFile(dataexport::DialogKind::Open, tr("Open datafile"), dir);
    if (name.isEmpty())
        return;
    platform::writeSetting(kExportGroup, kSaveDirKey, QFileInfo(name).absolutePath());
    importFrom(name);
}

bool FullScene::exportTo(const QString& baseName)
{
    const QString errorTitle = tr("Export Error");
    // ".data" is appended whatever the name already ends with.
    const QString dataName = baseName + kDataSuffix;
    const QString summaryName = baseName + kSummarySuffix;
    const QString detailName = baseName + kDetailSuffix;

    // Everything is written into the staging folder; no target is touched before the commit.
    ExportFileSet files(baseName, exportMembers());
    const QString staged = files.stagedBaseName();
    QFile dataFile(files.isValid() ? staged + kDataSuffix : QString());
    if (!files.isValid() || !ExportFileSet::replaceable(dataName)
        || !dataFile.open(QIODevice::WriteOnly)) {
        qCWarning(platform::shellLog).noquote() << dataName << ": cannot be written:"
                                                << (files.isValid() ? dataFile.errorString()
                                                 : QStringLiteral("no staging folder"));
        showBox(errorTitle, tr("Data File Open Error!"));
        return false;
    }
    QDataStream out(&dataFile);
    MeasureDataFile::setUpStream(out);

    QPrinter summaryPrinter(QPrinter::HighResolution);
    reportpage::setUpPrinter(summaryPrinter, staged + kSummarySuffix);
    QPainter summary;
    if (!ExportFileSet::replaceable(summaryName) || !summary.begin(&summaryPrinter)) {
        qCWarning(platform::shellLog).noquote()
            << "failed to open file, is it writable?" << summaryName;
        showBox(errorTitle, tr("PDF File Open Error!"));
        return false;
    }
    renderReport(&summary);

    // The first failure is the one the user is told about.
    QString failure;
    QString failedFile;
    auto failed = [&](const QString& text, const QString& file) {
        if (failure.isEmpty()) {
            failure = text;
            failedFile = file;
        }
    };

    MeasureDataFile::writeHeader(out);
    bool pictures = m_grayView->exportData(staged, out);
    pictures = m_gamutView->exportData(staged, out) && pictures;
    // The scene is laid out at the print size below: the colour-checker page need not be drawn
    // with its own set again at the screen size first.
    pictures = m_colorChkView->exportData(staged, out, [this] { layoutViews(); }, false) && pictures;
    pictures = m_colorLumaView->exportData(staged, out) && pictures;
    pictures = m_saturatView->exportData(staged, out) && pictures;
    pictures = m_freeView->exportData(staged, out) && pictures;
    dataFile.close();
    if (out.status() != QDataStream::Ok || dataFile.error() != QFileDevice::NoError)
        failed(tr("Data File Write Error!"), dataName);
    if (!pictures)
        failed(tr("Picture File Write Error!"), baseName);

    // The charts are rendered from white-framed pages of a fixed size.
    BaseWindow::setTranslucent(false);
    const QSize screenPageSize(m_pageWidth, m_pageHeight);
    setPageSize(printPageSize.width(), printPageSize.height());

    m_grayView->renderCharts(&summary);
    m_gamutView->renderCharts(&summary);

    QPrinter detailPrinter(QPrinter::HighResolution);
    reportpage::setUpPrinter(detailPrinter, staged + kDetailSuffix);
    QPainter detail;
    const bool detailOpen = ExportFileSet::replaceable(detailName) && detail.begin(&detailPrinter);
    if (detailOpen) {
        renderTitlePage(&detail, detailPrinter.width());
        const QList<BaseView*> printing = {m_grayView, m_gamutView, m_saturatView,
                                           m_colorLumaView, m_colorChkView};
        for (BaseView* v : printing)
            v->exportPro(&detail, &detailPrinter);
    } else {
        qCWarning(platform::shellLog).noquote()
            << "failed in flushing page to disk, disk full?" << detailName;
        failed(tr("Detailed PDF File Open Error!"), detailName);
    }

    BaseWindow::setTranslucent(true);
    setPageSize(screenPageSize.width(), screenPageSize.height());

    if (!summary.end())
        failed(tr("PDF File Write Error!"), summaryName);
    if (detailOpen && !detail.end())
        failed(tr("PDF File Write Error!"), detailName);

    if (!failure.isEmpty()) {
        qCWarning(platform::shellLog).noquote() << "export failed:" << failure << failedFile;
        showBox(errorTitle, failure, failedFile);
        return false;
    }
    // Every file is complete: all of them replace the old set together, or none does.
    QString notReplaced;
    if (!files.commit(&notReplaced)) {
        qCWarning(platform::shellLog).noquote() << notReplaced
                                                << ": cannot be replaced; the earlier export is kept";
        const QString text = notReplaced.endsWith(QLatin1String(".png"))
                                 ? tr("Picture File Write Error!")
                             : notReplaced.endsWith(QLatin1String(".pdf")) ? tr("PDF File Write Error!")
                                                                           : tr("Data File Write Error!");
        showBox(errorTitle, text, notReplaced);
        return false;
    }
    showBox(tr("Export Data"), tr("Data has been successfully Exported!"));
    return true;
}

bool FullScene::importFrom(const QString& fileName)
{
    const QString errorTitle = tr("Import Error");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(platform::shellLog).noquote() << fileName << ": cannot be opened:" << file.errorString();
        showBox(errorTitle, tr("File Open Error!"));
        return false;
    }
    // Any file can be chosen. A device or pipe that never ends, or a file larger than any
    // measurement could fill, is refused before it is read into memory.
    if (file.isSequential() || file.size() > kMaxDataFileBytes) {
        qCWarning(platform::shellLog).noquote() << fileName
                                                << ": not a data file: a device, a pipe or more than"
                                                << kMaxDataFileBytes << "bytes";
        showBox(errorTitle, tr("Data Error!"));
        layoutViews();
        return false;
    }
    const QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();

    // Validate the whole file before any list is touched.
    MeasureDataFile::Contents contents;
    QString why;
    const MeasureDataFile::Status status =
        readFailed ? MeasureDataFile::Status::DataError
                   : MeasureDataFile::decode(bytes, &contents, &why);
    if (status == MeasureDataFile::Status::VersionError) {
        qCWarning(platform::shellLog).noquote() << fileName << ":" << why;
        showBox(errorTitle, tr("File Version Error!"));
        return false;
    }
    if (status != MeasureDataFile::Status::Ok) {
        qCWarning(platform::shellLog).noquote() << fileName << ":" << (readFailed ? file.errorString() : why);
        showBox(errorTitle, tr("Data Error!"));
        layoutViews();
        return false;
    }

    // The file is valid: every view now reads its own section(s) from the same bytes. The
    // checked copy is not kept while the pages draw a long list.
    contents = MeasureDataFile::Contents();
    QDataStream in(bytes);
    MeasureDataFile::setUpStream(in);
    bool loaded = MeasureDataFile::readHeader(in) == MeasureDataFile::Status::Ok;
    loaded = loaded && m_grayView->loadData(in);
    loaded = loaded && m_gamutView->loadData(in);
    loaded = loaded && m_colorChkView->loadData(in);
    loaded = loaded && m_colorLumaView->loadData(in);
    loaded = loaded && m_saturatView->loadData(in);
    loaded = loaded && m_freeView->loadData(in);
    layoutViews();
    if (!loaded) {
        showBox(errorTitle, tr("Data Error!"));
        return false;
    }
    showBox(tr("Import Data"), tr("Data has been successfully Imported!"));
    return true;
}
