#include "measure/sensorfactory.h"

#include "sensors/c5sensor.h"
#include "sensors/ca210usbsensor.h"
#include "sensors/ca210comsensor.h"
#include "sensors/crsensor.h"
#include "sensors/cs2000sensor.h"
#include "sensors/k10sensor.h"
#include "sensors/pr6xxsensor.h"
#include "sensors/sensor.h"
#include "sensors/cs200sensor.h"
#include "sensors/simulator.h"
#include "sensors/spyder3sensor.h"
#include "sensors/spyder4sensor.h"

namespace {

struct BuiltinDriver
{
    int type;
    SensorLink link;
    SensorFactory::Creator create;
};

// The drivers the program has. An instrument driver joins here with one row.
QVector<BuiltinDriver> builtinDrivers()
{
    return {
        {SensorModel::Spyder3, SensorLink::Default,
         [](SigAdapter*) -> CSensor* { return new Spyder3Sensor; }},
        {SensorModel::Spyder4, SensorLink::Default,
         [](SigAdapter*) -> CSensor* { return new Spyder4Sensor(0); }},
        {SensorModel::Spyder5, SensorLink::Default,
         [](SigAdapter*) -> CSensor* { return new Spyder4Sensor(1); }},
        {SensorModel::CS200, SensorLink::Default,
         [](SigAdapter*) -> CSensor* { return new CS200Sensor; }},
        {SensorModel::K10, SensorLink::Default, [](SigAdapter*) -> CSensor* { return new K10Sensor; }},
        {SensorModel::PR6xx, SensorLink::Default, [](SigAdapter*) -> CSensor* { return new PR6xxSensor; }},
        {SensorModel::CS2000, SensorLink::Default, [](SigAdapter*) -> CSensor* { return new CS2000Sensor; }},
        {SensorModel::CA210, SensorLink::Serial, [](SigAdapter*) -> CSensor* { return new CA210SensorCOM; }},
        {SensorModel::CR100, SensorLink::Default, [](SigAdapter*) -> CSensor* { return new CRXXXCensor; }},
        {SensorModel::Simulator, SensorLink::Default,
         [](SigAdapter* adapter) -> CSensor* { return new Simulator(adapter); }},
        {SensorModel::Chroma5, SensorLink::Default, [](SigAdapter*) -> CSensor* { return new C5Sensor; }},
        {SensorModel::CA210, SensorLink::Usb, [](SigAdapter*) -> CSensor* { return new CA210Sensor; }},
    };
}

QPair<int, int> key(int type, SensorLink link)
{
    return qMakePair(type, static_cast<int>(link));
}

} // namespace

SensorFactory::SensorFactory()
{
    for (const BuiltinDriver& d : builtinDrivers())
        setCreator(d.type, d.link, d.create);
}

void SensorFactory::setCreator(int type, SensorLink link, Creator creator)
{
    if (creator)
        m_creators.insert(key(type, link), std::move(creator));
    else
        m_creators.remove(key(type, link));
}

bool SensorFactory::hasCreator(int type, SensorLink link) const
{
    return m_creators.contains(key(type, link));
}

SensorFactory::Choice SensorFactory::choose(int type, bool usbSelected, bool comSelected) const
{
    Choice choice;
    if (type < 0 || type >= SensorModel::Count)
        return choice;

    SensorLink link = SensorLink::Default;
    if (type == SensorModel::CA210) {
        if (comSelected) {
            link = SensorLink::Serial;
        } else if (usbSelected) {
            link = SensorLink::Usb;
        } else {
            choice.outcome = Outcome::KeepCurrent;
            return choice;
        }
    }
    const auto it = m_creators.constFind(key(type, link));
    if (it == m_creators.constEnd())
        return choice;
    choice.outcome = Outcome::Create;
    choice.creator = it.value();
    return choice;
}
