#pragma once
// CRXXXCensor: the CR-100 colorimeter and the CR-250 spectroradiometer on a serial port (protocol
// in crprotocol.h). init() reads the serial number, the model and the lists of the measurement
// settings, which the options page shows and changes through the setters; GetColor() triggers a
// measurement and reads X, Y, Z and, from a CR-250, the spectrum (380..780 nm in 401 values).
//
// The setters run on the GUI thread, readings on the measurement thread: every exchange (a
// command and its reply lines) holds the driver's exchange lock, and the last reply is the
// driver's own.

#include "sensors/crprotocol.h"
#include "sensors/sensor.h"

#include <QRecursiveMutex>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {
class SerialLine;
}

class CRXXXCensor : public CSensor
{
    Q_OBJECT

public:
    // The waits of the driver; tests shorten them.
    struct Timing
    {
        int readTimeoutMs = cr::kReadTimeoutMs;
        int replyDeadlineMs = cr::kReplyDeadlineMs;
        int initDeadlineMs = cr::kInitDeadlineMs;
    };

    explicit CRXXXCensor(QObject* parent = nullptr);
    ~CRXXXCensor() override;

    bool init() override;
    void close() override;
    int startMeasure() override;
    void stopMeasure() override;
    CColor GetColor() override;
    // The serial line failed under the driver: the instrument hung up or its adapter vanished.
    bool instrumentLost() const override;

    // One reply line (without CR LF); empty on time-out or an over-long line (the port is
    // flushed then).
    QString readReply();
    // Writes the command, reads one reply line into lastReply; true for a success reply.
    bool sendCommand(const QString& command);
    bool readHardwareInfo();

    bool setUserCalibMode(int mode);
    bool setMatrix(int number);
    bool setMatch(int number);
    bool setSyncMode(int mode);
    bool setSpeed(int speed);
    // The frequency clamped to the instrument's range (read first).
    bool setSyncFreq(int freq);

    QString model;
    QStringList userCalibModes;
    int userCalibMode = 0;
    QStringList matrices;
    int matrix = 0;
    QStringList matches;
    int match = 0;
    QStringList syncModes;
    int syncMode = 0;
    int syncFreq = 0;
    QStringList speeds;
    int speed = 0;

    QString lastReply; // the last reply line of this driver
    Timing timing;
    std::unique_ptr<platform::SerialLine> port;

private:
    bool writeAll(const QByteArray& bytes);
    bool setting(const QString& keyword, int value, int* field);
    // After an "RC" command: the count and its entry lines into `list`.
    bool readEntries(bool firstOfList, QStringList* list, int* index);
    bool readList(const QString& keyword, QStringList* list, int* index);
    // "RS <keyword>": the index of the current entry by its name; `current` receives the name.
    bool readCurrentByName(const QString& keyword, const QStringList& list, int count, int* index,
                           QString* current = nullptr);
    bool readNumberedList(const QString& keyword, QStringList* list, int* index);
    void readSpectrum();

    QRecursiveMutex m_exchange;
    QByteArray m_pending; // received bytes after the last complete line
    int m_deadlineMs;
};
