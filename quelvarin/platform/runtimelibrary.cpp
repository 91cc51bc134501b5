#include "platform/runtimelibrary.h"

#include "platform/logging.h"

#include <QCoreApplication>
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
    // Every place tried, with why it failed: the user who installed the library needs to see
    // where the program looked.
    QStringList tried;
    for (const QString& candidate : candidates) {
        // A path that names no file is skipped: only the bare name goes to the system search.
        if (candidate != fileName && !QFileInfo::exists(candidate)) {
            tried << QStringLiteral("%1 (absent)").arg(candidate);
            continue;
        }
        library.setFileName(candidate);
        if (library.load()) {
            qCDebug(platformLog).noquote() << "library" << fileName << "loaded from" << candidate;
            return true;
        }
        const QString where = candidate == fileName ? QStringLiteral("the system search path") : candidate;
        tried << QStringLiteral("%1 (%2)").arg(where, library.errorString());
    }
    library.setFileName(fileName);
    qCWarning(platformLog).noquote() << "library" << fileName
                                     << "not loaded; tried:" << tried.join(QStringLiteral("; "));
    return false;
}

} // namespace platform
