#include "platform/runtimelibrary.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace platform {

QStringList libraryCandidates(const QString& fileName)
{
    QStringList candidates;
    const QString overrideDir = qEnvironmentVariable(kLibraryDirVariable);
    if (!overrideDir.isEmpty())
        candidates << QDir(overrideDir).absoluteFilePath(fileName);
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(fileName);
    candidates << fileName;
    candidates.removeDuplicates();
    return candidates;
}

bool loadLibrary(QLibrary& library, const QString& fileName)
{
    const QStringList candidates = libraryCandidates(fileName);
    for (const QString& candidate : candidates) {
        // A path that names no file is skipped: only the bare name goes to the system search.
        if (candidate != fileName && !QFileInfo::exists(candidate))
            continue;
        library.setFileName(candidate);
        if (library.load())
            return true;
        qDebug() << "library" << candidate << "not loaded:" << library.errorString();
    }
    library.setFileName(fileName);
    return false;
}

} // namespace platform
