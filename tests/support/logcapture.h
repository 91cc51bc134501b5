#pragma once
// Records the Qt log (qDebug, qWarning, ...) while it lives, from every thread, so a test can
// check the texts a component logs, e.g. the matrix errors of ErrorMsg:
//
//   LogCapture log;
//   Matrix(1.0, 2, 2) + Matrix(1.0, 3, 3);
//   QCOMPARE(log.messages(), QStringList{"\"mismatched matrices in addition\""});
//
// Messages are still passed on to the previous handler unless the capture is quiet.

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    explicit LogCapture(bool quiet = true);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const;                   // every recorded text, in order
    QStringList messages(QtMsgType type) const;     // those of one level
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    mutable QMutex m_mutex;
    QList<QPair<QtMsgType, QString>> m_entries;
    QtMessageHandler m_previous = nullptr;
    LogCapture* m_outer = nullptr;
    bool m_quiet;
};
