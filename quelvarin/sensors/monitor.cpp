#include "sensors/monitor.h"

#include "platform/messagepresenter.h"
#include "platform/serialline.h"
#include "platform/settings.h"

#include <QMessageBox>
#include <QPoint>
#include <QSize>

#include <cmath>

const QStringList monitorModels = {
    QStringLiteral("KW-2410"), QStringLiteral("KW-2420"), QStringLiteral("KW-2430"), QStringLiteral("KW-2710"),
    QStringLiteral("KW-2720"), QStringLiteral("KW-2730"), QStringLiteral("KW-3110"), QStringLiteral("KW-3120"),
    QStringLiteral("KW-3130"), QStringLiteral("KW-5510"), QStringLiteral("KW-5520"), QStringLiteral("KW-6510"),
};

namespace {

constexpr unsigned char kCarriageReturn = 13;
// Bytes taken from the port per readReply; the ring keeps the newest 31 of them anyway.
constexpr int kMaxTakenPerRead = 4096;

} // namespace

CMonitor::CMonitor(int index, QObject* parent)
    : QObject(parent)
    , model(index >= 0 && index < monitorModels.size() ? monitorModels.at(index) : QString())
    , port(std::make_unique<platform::SerialLine>())
{
}

CMonitor::~CMonitor() = default;

bool CMonitor::open(const QString& portName)
{
    port->setPortName(portName);
    if (!port->open()) {
        const QPoint pos = platform::readSetting("global", "pos", QPoint(0, 0)).toPoint();
        const QSize size = platform::readSetting("global", "size", QSize()).toSize();
        const QPoint at(pos.x() + int(std::trunc(0.73 * size.width())), pos.y() + int(std::trunc(0.2 * size.height())));
        const QString title = tr("Monitor");
        const QString text = tr("Can't open %1!").arg(port->portName());
        platform::presentMessage([&] {
            auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, text, QMessageBox::Ok);
            box->move(at);
            return box;
        });
    }
    port->setBaudRate(kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::TwoStop);
    port->setParity(QSerialPort::NoParity);
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->setTimeout(kTimeoutMs);
    port->flush();
    rxHead = rxTail = 0;
    return port->isOpen();
}

void CMonitor::close()
{
    port->close();
}

bool CMonitor::isOpen() const
{
    return port->isOpen();
}

void CMonitor::clear()
{
    port->flush();
    rxHead = rxTail = 0;
}

bool CMonitor::send(const QString& command)
{
    const QByteArray bytes = command.toLatin1();
    return port->write(bytes) >= 0;
}

int CMonitor::readReply()
{
    const QByteArray arrived = port->readAvailable(kMaxTakenPerRead);
    for (char c : arrived) {
        rxBuffer[rxTail] = static_cast<unsigned char>(c);
        rxTail = (rxTail + 1) % kRingSize;
        if (rxTail == rxHead)
            rxHead = (rxHead + 1) % kRingSize; // the oldest byte is overwritten
    }
    if (rxHead == rxTail)
        return NoReply;
    while (rxBuffer[rxHead] == kCarriageReturn) {
        rxHead = (rxHead + 1) % kRingSize;
        if (rxHead == rxTail)
            return NoReply;
    }
    bool complete = false;
    for (int i = rxHead; i != rxTail; i = (i + 1) % kRingSize) {
        if (rxBuffer[i] == kCarriageReturn) {
            complete = true;
            break;
        }
    }
    if (!complete)
        return NoReply; // the rest of the reply is still on its way
    QByteArray text;
    while (text.size() < kMaxReplyLength && rxBuffer[rxHead] != kCarriageReturn) {
        text += char(rxBuffer[rxHead]);
        rxHead = (rxHead + 1) % kRingSize;
    }
    if (text == "MES,1")
        return MeasureOn;
    if (text == "MES,0")
        return MeasureOff;
    if (text == "MDR,1")
        return DataReady;
    return NoReply;
}
