#include "sensors/pr6xxprotocol.h"

#include "platform/logging.h"

#include <QDebug>
#include <QList>

#include <algorithm>
#include <cmath>

namespace pr6xx {

int linesOfModel(const QByteArray& model)
{
    return model == kSmallModel ? kSmallModelLines : kLines;
}

int statusOf(const QByteArray& reply)
{
    if (reply.size() < kStatusLength)
        return kUnreadableStatus;
    bool ok = false;
    const int status = reply.left(kStatusLength).toInt(&ok, 10);
    return ok ? status : kUnreadableStatus;
}

bool replyComplete(const QByteArray& reply)
{
    return reply.endsWith("\r\n");
}

namespace {

// The status of a reply that arrived whole; kUnreadableStatus for one cut short.
int statusOfComplete(const QByteArray& reply)
{
    return replyComplete(reply) ? statusOf(reply) : kUnreadableStatus;
}

QByteArray listText(const QByteArray& reply)
{
    QByteArray text = reply.mid(kListHeaderLength);
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

QList<QByteArray> splitLines(const QByteArray& text, bool keepEmpty)
{
    QList<QByteArray> parts;
    int from = 0;
    for (;;) {
        const int at = text.indexOf("\r\n", from);
        const QByteArray part = text.mid(from, at < 0 ? -1 : at - from);
        if (keepEmpty || !part.isEmpty())
            parts << part;
        if (at < 0)
            return parts;
        from = at + 2;
    }
}

} // namespace

bool listComplete(const QByteArray& reply, int lines)
{
    return splitLines(listText(reply), true).size() == lines + 1;
}

QVector<float> spectrumFromLists(const float* light, const float* dark, int lines)
{
    lines = std::clamp(lines, 1, kMaxValues);
    QVector<float> diff(lines);
    for (int i = 0; i < lines; ++i)
        diff[i] = std::max(0.0f, light[i] - dark[i]);
    constexpr int kCount = 401;
    QVector<float> out(kCount);
    for (int j = 0; j < kCount; ++j) {
        const double t = lines == 1 ? 0.0 : double(j) * (lines - 1) / (kCount - 1);
        const int i = std::min(int(t), lines - 1);
        const double f = t - i;
        out[j] = float(i + 1 < lines ? diff[i] * (1 - f) + diff[i + 1] * f : diff[i]);
    }
    return out;
}

} // namespace pr6xx

PR6xxCmd::PR6xxCmd(const QByteArray& command, int replyLength)
    : command(command)
    , replyLength(replyLength)
{
}

PR6xxCmd::~PR6xxCmd() = default;

bool PR6xxCmd::handler(const QByteArray& reply)
{
    if (replyLength == 0)
        return true;
    return reply.size() >= 6 && reply.endsWith("\r\n") && reply.startsWith("00000");
}

bool PR6xxMCmd::handler(const QByteArray& reply)
{
    errorCode = pr6xx::statusOfComplete(reply);
    if (errorCode != 0)
        return false;
    text = reply.mid(pr6xx::kTextOffset);
    text.chop(std::min(2, int(text.size()))); // the CR LF
    return true;
}

PR6xxDCmd::PR6xxDCmd()
    : PR6xxCmd(pr6xx::kMeasure, pr6xx::kMeasureLength)
{
}

bool PR6xxDCmd::handler(const QByteArray& reply)
{
    errorCode = pr6xx::statusOfComplete(reply);
    if (errorCode != 0)
        return false;
    QByteArray body = reply;
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    const QList<QByteArray> f = body.split(',');
    if (f.size() < 5)
        return false;
    bool ok = false;
    f[0].trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    f[1].trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    float v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = f[2 + i].trimmed().toFloat(&ok);
        if (!ok)
            return false;
    }
    X = v[0];
    Y = v[1];
    Z = v[2];
    return true;
}

PR6xxSCmd::PR6xxSCmd(const QByteArray& command, int lines)
    : PR6xxCmd(command, pr6xx::listReplyLength(lines))
    , lines(lines)
{
}

bool PR6xxSCmd::handler(const QByteArray& reply)
{
    errorCode = pr6xx::statusOf(reply);
    if (errorCode != 0) {
        qCDebug(platform::sensorLog) << "specture error code" << errorCode;
        return false;
    }
    const QByteArray text = pr6xx::listText(reply);
    const QList<QByteArray> got = pr6xx::splitLines(text, false);
    qCDebug(platform::sensorLog, "specture list count = %d\n", int(got.size()));
    // A list cut short, in a line or between two, is no spectrum: its missing values would read
    // as zeros, and its last value as a cut-off number.
    if (!pr6xx::replyComplete(text) || got.size() < std::max(lines, pr6xx::kMinLines))
        return false;
    const int n = std::min(int(got.size()), pr6xx::kMaxValues);
    for (int i = 0; i < n; ++i)
        values[i] = got[i].trimmed().toFloat();
    return true;
}
