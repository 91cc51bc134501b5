#include "shell/programtranslation.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

const char kProgramTranslation[] = "quelvarin_zh_CN";
const char kQtTranslation[] = "qtbase_zh_CN";

bool installProgramTranslation(QTranslator& translator, const QLocale& systemLocale,
                               const QString& programFilePath)
{
    if (systemLocale.language() != QLocale::Chinese)
        return false;
    // The program's own directory, not the working directory.
    QString dir = programFilePath;
    dir.truncate(dir.lastIndexOf(QLatin1Char('/')));
    if (!translator.load(QString::fromLatin1(kProgramTranslation), dir))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

bool installQtTranslation(QTranslator& translator, const QLocale& systemLocale, const QString& directory)
{
    if (systemLocale.language() != QLocale::Chinese)
        return false;
    const QString dir =
        directory.isEmpty() ? QLibraryInfo::location(QLibraryInfo::TranslationsPath) : directory;
    if (!translator.load(QString::fromLatin1(kQtTranslation), dir)) {
        qCDebug(platform::shellLog) << "Qt's translation" << kQtTranslation << "not found in" << dir;
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}
