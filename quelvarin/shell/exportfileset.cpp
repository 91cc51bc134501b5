#include "shell/exportfileset.h"

#include "platform/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QVector>
#include <QtDebug>

ExportFileSet::ExportFileSet(const QString& baseName)
{
    const QFileInfo base(baseName);
    m_targetDir = base.absolutePath();
    m_fileName = base.fileName();
    m_staging = std::make_unique<QTemporaryDir>(
        QDir(m_targetDir).filePath(QStringLiteral(".%1-export-XXXXXX").arg(m_fileName)));
    if (!m_staging->isValid())
        qCWarning(platform::shellLog).noquote() << m_targetDir << ": no staging folder for the export:"
                                                << m_staging->errorString();
}

ExportFileSet::~ExportFileSet() = default;

bool ExportFileSet::isValid() const
{
    return m_staging && m_staging->isValid();
}

QString ExportFileSet::stagedBaseName() const
{
    return m_staging->filePath(m_fileName);
}

QString ExportFileSet::targetOf(const QString& stagedFile) const
{
    return QDir(m_targetDir).filePath(QFileInfo(stagedFile).fileName());
}

bool ExportFileSet::replaceable(const QString& target)
{
    const QFileInfo info(target);
    return !info.exists() || info.isFile();
}

bool ExportFileSet::commit(QString* failedTarget)
{
    if (!isValid())
        return false;
    struct Move
    {
        QString staged;
        QString target;
        QString aside; // where the old target waits until the end; empty when there was none
        bool placed = false;
    };
    QVector<Move> moves;
    const QDir staging(m_staging->path());
    for (const QString& name : staging.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        moves.append({staging.filePath(name), QDir(m_targetDir).filePath(name), QString(), false});

    const auto undo = [&moves] {
        for (Move& m : moves) {
            if (m.placed)
                QFile::remove(m.target);
            if (!m.aside.isEmpty())
                QFile::rename(m.aside, m.target);
        }
    };
    const auto fail = [&](const QString& target) {
        undo();
        if (failedTarget)
            *failedTarget = target;
        return false;
    };

    // First every old target out of the way (into the staging folder, on the same file system).
    for (Move& m : moves) {
        if (!replaceable(m.target))
            return fail(m.target);
        if (!QFileInfo::exists(m.target))
            continue;
        const QString aside = staging.filePath(QFileInfo(m.target).fileName() + QStringLiteral(".old"));
        if (!QFile::rename(m.target, aside))
            return fail(m.target);
        m.aside = aside;
    }
    // Then every new file into place.
    for (Move& m : moves) {
        if (!QFile::rename(m.staged, m.target))
            return fail(m.target);
        m.placed = true;
    }
    // The old files go with the staging folder.
    return true;
}
