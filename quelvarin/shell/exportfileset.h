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
// The set is every file whose name is the base name followed by one of the members' suffixes.
// commit() first moves each existing member of the set aside, the ones that are written again
// and the ones that are not (a picture of a page that holds no results now), then moves every
// staged file onto its target; when any step fails it undoes what it did, so the old set is
// as it was. Otherwise the old files go with the staging folder: no file of the old set is left
// beside the new one. The staging folder, with whatever is still in it, is removed when the set
// goes, committed or not.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class ExportFileSet
{
public:
    // Stages the export of `baseName` (a path whose folder receives the files); `members` are
    // the suffixes of every file the set may hold (".data", "_Report.pdf", ...).
    ExportFileSet(const QString& baseName, const QStringList& members);
    ~ExportFileSet();

    ExportFileSet(const ExportFileSet&) = delete;
    ExportFileSet& operator=(const ExportFileSet&) = delete;

    // False when the staging folder could not be created (the target folder is not writable).
    bool isValid() const;
    // The staged base name: the files written under it are the ones commit() moves.
    QString stagedBaseName() const;
    // The target of a staged file (same name, in the target folder).
    QString targetOf(const QString& stagedFile) const;

    // The members of the set `baseName` that exist now as files: their file names, in the order
    // of `members`. Entries that are not files (a folder, say) are no part of an old set.
    static QStringList existingMembers(const QString& baseName, const QStringList& members);

    // True when `target` can be replaced: it is absent, or a file (not a folder or the like).
    static bool replaceable(const QString& target);

    // Replaces the old set by the staged files: every existing member goes, every staged file
    // is moved onto its target. True when all are in place; otherwise every old file is as it
    // was and `failedTarget` names the target that could not be replaced.
    bool commit(QString* failedTarget);

private:
    QString m_targetDir;
    QString m_fileName;
    QStringList m_members;
    std::unique_ptr<QTemporaryDir> m_staging;
};
