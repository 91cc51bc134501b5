#include "shell/exportfileset.h"

#include "platform/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QVector>
#include <QtDebug>

ExportFileSet::ExportFileSet(const QString& baseName, const QStringList& members)
    : m_members(members)
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

QStringList ExportFileSet::existingMembers(const QString& baseName, const QStringList& members)
{
    const QFileInfo base(baseName);
    const QDir folder(base.absolutePath());
    QStringList existing;
    for (const QString& suffix : members) {
        const QString name = base.fileName() + suffix;
        if (QFileInfo(folder.filePath(name)).isFile())
            existing << name;
    }
    return existing;
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
        QString staged; // empty for an old member that is not written again
        QString target;
        QString aside; // where the old target waits until the end; empty when there was none
        bool placed = false;
    };
    QVector<Move> moves;
    const QDir staging(m_staging->path());
    const QDir targets(m_targetDir);
    const QStringList stagedNames = staging.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    // The old members that nothing replaces are set aside like the others: they go with the
    // staging folder, or come back with the rest when a step fails.
    for (const QString& name : existingMembers(targets.filePath(m_fileName), m_members)) {
        if (!stagedNames.contains(name))
            moves.append({QString(), targets.filePath(name), QString(), false});
    }
    for (const QString& name : stagedNames)
        moves.append({staging.filePath(name), targets.filePath(name), QString(), false});

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

    // First every old file of the set out of the way (into the staging folder, on the same file
    // system).
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
        if (m.staged.isEmpty())
            continue;
        if (!QFile::rename(m.staged, m.target))
            return fail(m.target);
        m.placed = true;
    }
    // The old files go with the staging folder.
    return true;
}
