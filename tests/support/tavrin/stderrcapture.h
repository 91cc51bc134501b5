#pragma once
// What the process writes to its standard error while the object lives (the device library's
// warnings go there), for tests that check what a user is told on the terminal.
//
//   StderrCapture err;
//   ... a call that warns ...
//   QCOMPARE(err.lines().size(), 1);

#include <QStringList>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace tavrinemu {

class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // The lines written so far; the capture ends here.
    QStringList lines()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace tavrinemu
