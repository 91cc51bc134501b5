#pragma once
// The working directory of a page or table test: the tables read "table.qss" from it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A temporary working directory holding the delivered table style sheet; the earlier working
// directory comes back when it goes.
class StyledRunDir
{
public:
    ~StyledRunDir()
    {
        if (!m_oldDir.isEmpty())
            QDir::setCurrent(m_oldDir);
    }

    // False if the style sheet is missing or the directory could not be made or entered.
    bool enter()
    {
        const QString style = QStringLiteral(QV_TABLE_STYLE);
        if (!QFile::exists(style) || !m_dir.isValid()
            || !QFile::copy(style, m_dir.filePath(QStringLiteral("table.qss"))))
            return false;
        m_oldDir = QDir::currentPath();
        return QDir::setCurrent(m_dir.path());
    }

    // The same with a style sheet of the test's own.
    bool enterWith(const QByteArray& styleSheet)
    {
        if (!m_dir.isValid())
            return false;
        QFile style(m_dir.filePath(QStringLiteral("table.qss")));
        if (!style.open(QIODevice::WriteOnly) || style.write(styleSheet) != styleSheet.size())
            return false;
        style.close();
        m_oldDir = QDir::currentPath();
        return QDir::setCurrent(m_dir.path());
    }

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};
