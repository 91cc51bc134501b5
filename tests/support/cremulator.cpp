#include "cremulator.h"

#include <QSharedPointer>

namespace cremulator {

QByteArray ok(const QByteArray& keyword, const QByteArray& value)
{
    return "OK:0:" + keyword + ":" + value + "\r\n";
}

QByteArray list(const QByteArray& keyword, const QList<QByteArray>& names, bool countFirstOfList)
{
    const QByteArray count = QByteArray::number(names.size());
    QByteArray out = ok(keyword, countFirstOfList ? count + ",entries" : count);
    for (int i = 0; i < names.size(); ++i)
        out += QByteArray::number(i) + "," + names[i] + "\r\n";
    return out;
}

float spectrumValue(const Xyz& c, double nm)
{
    return float(c.y / 100.0 * nm / 780.0);
}

QByteArray spectrum(const Xyz& c, int stepNm)
{
    const int count = 400 / stepNm + 1;
    QByteArray out = ok("Spectrum", "380,780," + QByteArray::number(stepNm) + "," + QByteArray::number(count));
    for (int i = 0; i < count; ++i)
        out += QByteArray::number(double(spectrumValue(c, 380 + i * stepNm)), 'f', 6) + "\r\n";
    return out;
}

void install(SerialEmulator& emu, const Options& o, const QList<Xyz>& colours)
{
    using Reply = SerialEmulator::Reply;
    emu.on("RC ID\r", Reply(ok("ID", o.serial)));
    emu.on("RC Model\r", Reply(ok("Model", o.model)));
    emu.on("RC UserCalibMode\r", Reply(list("UserCalibMode", {"None", "Matrix", "Match"})));
    emu.on("RS UserCalibMode\r", Reply(ok("UserCalibMode", "Matrix")));
    emu.on("RC Matrix\r", Reply(list("Matrix", {"MatA", "MatB"}, true)));
    emu.on("RS Matrix\r", Reply(ok("Matrix", "1")));
    emu.on("RC Match\r", Reply(ok("Match", "None")));
    emu.on("RC Speed\r", Reply(list("Speed", {"Slow", "Normal", "Fast"})));
    emu.on("RS Speed\r", Reply(ok("Speed", "Normal")));
    emu.on("RC SyncMode\r", Reply(list("SyncMode", {"None", "Auto", "Manual"})));
    emu.on("RS SyncMode\r", Reply(ok("SyncMode", o.syncMode)));
    emu.on("RS SyncFreq\r", Reply(ok("SyncFreq", "60.5 Hz")));
    emu.on("RC MinSyncFreq\r", Reply(ok("MinSyncFreq", "10.0 Hz")));
    emu.on("RC MaxSyncFreq\r", Reply(ok("MaxSyncFreq", "240.9 Hz")));
    for (const char* keyword : {"UserCalibMode", "Matrix", "Match", "SyncMode", "Speed", "SyncFreq"}) {
        for (int v = -1; v <= 300; ++v) {
            if (v > 5 && v != 10 && v != 50 && v != 240 && v != 300)
                continue;
            emu.on("SM " + QByteArray(keyword) + " " + QByteArray::number(v) + "\r", Reply(ok(keyword, "Set")));
        }
    }
    auto current = QSharedPointer<int>::create(-1);
    auto colourAt = [colours](int i) { return colours.isEmpty() ? Xyz{0, 0, 0} : colours.at(i % colours.size()); };
    emu.on("M\r", [current](const QByteArray&) {
        ++*current;
        return QList<Reply>{Reply(ok("M", "Done"))};
    });
    emu.on("RM XYZ\r", [current, colourAt](const QByteArray&) {
        const Xyz c = colourAt(qMax(0, *current));
        return QList<Reply>{Reply(ok("XYZ", QByteArray::number(c.x) + "," + QByteArray::number(c.y) + ","
                                                 + QByteArray::number(c.z)))};
    });
    const int step = o.spectrumStepNm;
    emu.on("RM Spectrum\r", [current, colourAt, step](const QByteArray&) {
        return QList<Reply>{Reply(spectrum(colourAt(qMax(0, *current)), step))};
    });
}

} // namespace cremulator
