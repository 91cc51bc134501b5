#pragma once
// The files of one export, written first into a staging folder beside their targets and moved
// into place together only when every one of them is complete.
//
//   <target folder>/
//     .<base>-export-XXXXXX/      staging folder (hidden, same file system as the targets)
//       <base>.data               every file of the export is written here first,
//       <base>_gray.png ...       under the name it will carry
//       <base>_Report.pdf
//     <base>.data                 the targets, replaced only by commit()
//
// commit() first moves each existing target aside, then moves every staged file onto its target;
// when any step fails it undoes what it did, so the old files are all as they were. The staging
// folder, with whatever is still in it, is removed when the set goes, committed or not.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class ExportFileSet
{
public:
    // Stages the export of `baseName` (a path whose folder receives the files).
    explicit ExportFileSet(const QString& baseName);
    ~ExportFileSet();

    ExportFileSet(const ExportFileSet&) = delete;
    ExportFileSet& operator=(const ExportFileSet&) = delete;

    // False when the staging folder could not be created (the target folder is not writable).
    bool isValid() const;
    // The staged base name: the files written under it are the ones commit() moves.
    QString stagedBaseName() const;
    // The target of a staged file (same name, in the target folder).
    QString targetOf(const QString& stagedFile) const;

    // True when `target` can be replaced: it is absent, or a file (not a folder or the like).
    static bool replaceable(const QString& target);

    // Moves every staged file onto its target. True when all are in place; otherwise every old
    // target is as it was and `failedTarget` names the target that could not be replaced.
    bool commit(QString* failedTarget);

private:
    QString m_targetDir;
    QString m_fileName;
    std::unique_ptr<QTemporaryDir> m_staging;
};
