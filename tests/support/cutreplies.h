#pragma once
// Rows for a table of instrument replies: a reply whole, then the same reply cut after each of its
// bytes, as a line that stalls leaves it. A reply counts only once it has arrived whole, so every
// cut row expects a refusal.

#include <QByteArray>
#include <QString>
#include <QtTest>

namespace cutreplies {

// Adds "<name> whole" (ok true) and "<name> cut to <n> bytes: <text>" (ok false) for n = 0 up to
// one byte short, to a table whose columns are kind (QString), reply (QByteArray) and ok (bool).
inline void addRows(const char* name, const QString& kind, const QByteArray& whole)
{
    QTest::addRow("%s whole", name) << kind << whole << true;
    for (int n = 0; n < whole.size(); ++n)
        QTest::addRow("%s cut to %d bytes: %s", name, n, whole.left(n).trimmed().constData())
            << kind << whole.left(n) << false;
}

} // namespace cutreplies
