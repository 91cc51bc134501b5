#include "shell/programtranslation.h"

#include <QCoreApplication>
#include <QTranslator>

const char kProgramTranslation[] = "quelvarin_zh_CN";

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
