// The application library's exported interface: every export and twin is in the dynamic symbol
// table under its plain name, and each twin answers exactly as its cdecl export on a table of calls.
#include "openscene.h"
#include "testenv.h"

#include <QProcess>
#include <QSet>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <functional>

using namespace tavrinemu;

namespace {

const char* const kExports[] = {
    "QVI_LibraryGetNameLength",
    "QVI_LibraryGetName",
    "QVI_LibraryGetVersion",
    "QVI_LibraryGetBuildNumber",
    "QVI_FirmwareGetVersion",
    "QVI_FirmwareGetBuildNumber",
    "QVI_SepctrometerGetDeviceAmount",
    "QVI_SepctrometerGetDeviceList",
    "QVI_SpectrometerOpen",
    "QVI_SpectrometerClose",
    "QVI_SpectrometerIsAttached",
    "QVI_SpectrometerGetAdcGain",
    "QVI_SpectrometerSetAdcGain",
    "QVI_SpectrometerGetAdcOffsetVolt",
    "QVI_SpectrometerSetAdcOffsetVolt",
    "QVI_SpectrometerGetAdcOffsetCount",
    "QVI_SpectrometerSetAdcOffsetCount",
    "QVI_SpectrometerGetExternalPort",
    "QVI_SpectrometerSetExternalPort",
    "QVI_SpectrometerGetTriggerIO",
    "QVI_SpectrometerSetTriggerIO",
    "QVI_SpectrometerGetRomVersion",
    "QVI_SpectrometerGetModelName",
    "QVI_SpectrometerGetSerialNumber",
    "QVI_SpectrometerGetManufacturingDate",
    "QVI_SpectrometerGetActivatingDate",
    "QVI_SpectrometerGetAdcMaximumCount",
    "QVI_SpectrometerGetAdcMaximumVolt",
    "QVI_SpectrometerGetAdcType",
    "QVI_SpectrometerGetAdcSerialNumber",
    "QVI_SpectrometerGetCoolerType",
    "QVI_SpectrometerGetCoolerSerialNumber",
    "QVI_SpectrometerGetSocType",
    "QVI_SpectrometerGetSocSerialNumber",
    "QVI_SpectrometerGetRomType",
    "QVI_SpectrometerGetRomSerialNumber",
    "QVI_SpectromoduleGetRomVersion",
    "QVI_SpectromoduleGetModelName",
    "QVI_SpectromoduleGetSerialNumber",
    "QVI_SpectromoduleGetManufacturingDate",
    "QVI_SpectromoduleGetSlitType",
    "QVI_SpectromoduleGetSlitSerialNumber",
    "QVI_SpectromoduleGetGratingType",
    "QVI_SpectromoduleGetGratingSerialNumber",
    "QVI_SpectromoduleGetRomType",
    "QVI_SpectromoduleGetRomSerialNumber",
    "QVI_SpectromoduleGetSensorType",
    "QVI_SpectromoduleGetSensorSerialNumber",
    "QVI_SpectromoduleGetFilterType",
    "QVI_SpectromoduleGetFilterSerialNumber",
    "QVI_SpectromoduleGetWaveguideType",
    "QVI_SpectromoduleGetWaveguideSerialNumber",
    "QVI_SpectromoduleGetWavelengthStart",
    "QVI_SpectromoduleGetWavelengthEnd",
    "QVI_SpectromoduleGetMinimumIntegrationTime",
    "QVI_SpectromoduleGetMaximumIntegrationTime",
    "QVI_SpectromoduleGetFrameSize",
    "QVI_SpectrometerWavelengthAcquire",
    "QVI_SpectrometerInitUserRom",
    "QVI_SpectrometerSetUserRom",
    "QVI_SpectrometerGetUserRom",
    "QVI_SpectromoduleSetIntensityCalibration",
    "QVI_SpectromoduleGetIntensityCalibration",
    "QVI_SpectrometerDataAcquire",
    "QVI_SpectrometerTriggerDataAcquire",
    "QVI_BackgroundRemove",
    "QVI_StraylightRemove",
    "QVI_LinearityCorrection",
    "QVI_ContrastIntensityCorrection",
    "QVI_AbsoluteIntensityCorrection",
    "QVI_DoIntensityCalibration",
    "QVI_SpectrumSet",
    "QVI_SpectrumAllocation",
    "QVI_SpectrumFree",
    "QVI_ColorGetXYZRef",
    "QVI_ColorGetxyzRef",
    "QVI_ColorGetXYZ",
    "QVI_ColorGetxyz",
    "QVI_ColorGetLab",
    "QVI_ColorGetHunterLab",
    "QVI_ColorGetLuv",
    "QVI_ColorGetUVW",
    "QVI_ColorGetuvw",
    "QVI_ColorGet1960UCS",
    "QVI_ColorGet1960ucs",
    "QVI_ColorGet1976UCS",
    "QVI_ColorGet1976ucs",
    "QVI_ColorGetCCT",
    "QVI_ColorGetDominantWavelength",
    "QVI_ColorGetPurity",
    "QVI_ColorGetCIEWhiteness",
    "QVI_ColorGetCIETint",
    "QVI_ColorGetColorRenderingIndex",
    "QVI_ColorInformationSet",
    "QVI_ColorInformationAllocation",
    "QVI_ColorInformationFree",
    "QVI_ColorOperation",
    "QVI_MATHGetCurveInfo",
    "QVI_ColorInformationGet",
    "VB6QVI_LibraryGetNameLength",
    "VB6QVI_LibraryGetName",
    "VB6QVI_LibraryGetVersion",
    "VB6QVI_LibraryGetBuildNumber",
    "VB6QVI_FirmwareGetVersion",
    "VB6QVI_FirmwareGetBuildNumber",
    "VB6QVI_SepctrometerGetDeviceAmount",
    "VB6QVI_SepctrometerGetDeviceList",
    "VB6QVI_SpectrometerOpen",
    "VB6QVI_SpectrometerClose",
    "VB6QVI_SpectrometerIsAttached",
    "VB6QVI_SpectrometerGetAdcGain",
    "VB6QVI_SpectrometerSetAdcGain",
    "VB6QVI_SpectrometerGetAdcOffsetVolt",
    "VB6QVI_SpectrometerSetAdcOffsetVolt",
    "VB6QVI_SpectrometerGetAdcOffsetCount",
    "VB6QVI_SpectrometerSetAdcOffsetCount",
    "VB6QVI_SpectrometerGetExternalPort",
    "VB6QVI_SpectrometerSetExternalPort",
    "VB6QVI_SpectrometerGetRomVersion",
    "VB6QVI_SpectrometerGetModelName",
    "VB6QVI_SpectrometerGetSerialNumber",
    "VB6QVI_SpectrometerGetManufacturingDate",
    "VB6QVI_SpectrometerGetActivatingDate",
    "VB6QVI_SpectrometerGetAdcMaximumCount",
    "VB6QVI_SpectrometerGetAdcMaximumVolt",
    "VB6QVI_SpectrometerGetAdcType",
    "VB6QVI_SpectrometerGetAdcSerialNumber",
    "VB6QVI_SpectrometerGetCoolerType",
    "VB6QVI_SpectrometerGetCoolerSerialNumber",
    "VB6QVI_SpectrometerGetSocType",
    "VB6QVI_SpectrometerGetSocSerialNumber",
    "VB6QVI_SpectrometerGetRomType",
    "VB6QVI_SpectrometerGetRomSerialNumber",
    "VB6QVI_SpectromoduleGetRomVersion",
    "VB6QVI_SpectromoduleGetModelName",
    "VB6QVI_SpectromoduleGetSerialNumber",
    "VB6QVI_SpectromoduleGetManufacturingDate",
    "VB6QVI_SpectromoduleGetSlitType",
    "VB6QVI_SpectromoduleGetSlitSerialNumber",
    "VB6QVI_SpectromoduleGetGratingType",
    "VB6QVI_SpectromoduleGetGratingSerialNumber",
    "VB6QVI_SpectromoduleGetRomType",
    "VB6QVI_SpectromoduleGetRomSerialNumber",
    "VB6QVI_SpectromoduleGetSensorType",
    "VB6QVI_SpectromoduleGetSensorSerialNumber",
    "VB6QVI_SpectromoduleGetFilterType",
    "VB6QVI_SpectromoduleGetFilterSerialNumber",
    "VB6QVI_SpectromoduleGetWaveguideType",
    "VB6QVI_SpectromoduleGetWaveguideSerialNumber",
    "VB6QVI_SpectromoduleGetWavelengthStart",
    "VB6QVI_SpectromoduleGetWavelengthEnd",
    "VB6QVI_SpectromoduleGetMinimumIntegrationTime",
    "VB6QVI_SpectromoduleGetMaximumIntegrationTime",
    "VB6QVI_SpectromoduleGetFrameSize",
    "VB6QVI_SpectrometerWavelengthAcquire",
    "VB6QVI_SpectrometerInitUserRom",
    "VB6QVI_SpectrometerSetUserRom",
    "VB6QVI_SpectrometerGetUserRom",
    "VB6QVI_SpectromoduleSetIntensityCalibration",
    "VB6QVI_SpectromoduleGetIntensityCalibration",
    "VB6QVI_SpectrometerDataAcquire",
    "VB6QVI_BackgroundRemove",
    "VB6QVI_StraylightRemove",
    "VB6QVI_LinearityCorrection",
    "VB6QVI_ContrastIntensityCorrection",
    "VB6QVI_AbsoluteIntensityCorrection",
    "VB6QVI_DoIntensityCalibration",
    "VB6QVI_SpectrumSet",
    "VB6QVI_SpectrumAllocation",
    "VB6QVI_SpectrumFree",
    "VB6QVI_ColorGetXYZRef",
    "VB6QVI_ColorGetxyzRef",
    "VB6QVI_ColorGetXYZ",
    "VB6QVI_ColorGetCIExyz",
    "VB6QVI_ColorGetLab",
    "VB6QVI_ColorGetHunterLab",
    "VB6QVI_ColorGetLuv",
    "VB6QVI_ColorGetUVW",
    "VB6QVI_ColorGetuvw",
    "VB6QVI_ColorGet1960UCS",
    "VB6QVI_ColorGet1960ucs",
    "VB6QVI_ColorGet1976UCS",
    "VB6QVI_ColorGet1976ucs",
    "VB6QVI_ColorGetCCT",
    "VB6QVI_ColorGetDominantWavelength",
    "VB6QVI_ColorGetPurity",
    "VB6QVI_ColorGetCIEWhiteness",
    "VB6QVI_ColorGetCIETint",
    "VB6QVI_ColorGetColorRenderingIndex",
    "VB6QVI_ColorInformationSet",
    "VB6QVI_ColorInformationAllocation",
    "VB6QVI_ColorInformationFree",
    "VB6QVI_ColorOperation",
    "VB6QVI_MATHGetCurveInfo",
    "VB6QVI_ColorInformationGet"};

// What one call left behind: its code and every output it wrote.
struct Outcome {
    ERRORCODE code = 99;
    QByteArray outputs;
    bool operator==(const Outcome& o) const { return code == o.code && outputs == o.outputs; }
};
QByteArray bytes(const void* p, size_t n) { return QByteArray(static_cast<const char*>(p), int(n)); }
QByteArray rom(OpenScene& o) { return bytes(o.device.spectrometerRom.data(), o.device.spectrometerRom.size()) + bytes(o.device.moduleRom.data(), o.device.moduleRom.size()); }

// A call made once through the cdecl export and once through the twin, each on a fresh device.
using Call = std::function<Outcome(OpenScene& o, bool twin)>;

template <typename T>
Call valueGetter(ERRORCODE (*cdecl)(void*, T*), ERRORCODE (*twin)(void*, T*), bool nullHandle = false)
{
    return [=](OpenScene& o, bool useTwin) {
        T v{};
        Outcome r;
        r.code = (useTwin ? twin : cdecl)(nullHandle ? nullptr : o.handle, &v);
        r.outputs = bytes(&v, sizeof v);
        return r;
    };
}
Call textGetter(ERRORCODE (*cdecl)(void*, char*), ERRORCODE (*twin)(void*, char*))
{
    return [=](OpenScene& o, bool useTwin) {
        char t[16];
        std::memset(t, 0x5A, sizeof t);
        Outcome r;
        r.code = (useTwin ? twin : cdecl)(o.handle, t);
        r.outputs = bytes(t, sizeof t);
        return r;
    };
}

// A window spectrum after one exposure, then a correction through either form.
Call correction(ERRORCODE (*cdecl)(void*, uint32_t, float*), ERRORCODE (*twin)(void*, uint32_t, float*), uint32_t time)
{
    return [=](OpenScene& o, bool useTwin) {
        std::vector<float> s(83);
        QVI_SpectrometerDataAcquire(o.handle, 100000, s.data(), 1);
        Outcome r;
        r.code = (useTwin ? twin : cdecl)(o.handle, time, s.data());
        r.outputs = bytes(s.data(), s.size() * sizeof(float));
        return r;
    };
}

// A colour record computed from a fixed spectrum, then one getter through either form.
Call colourGetter(ERRORCODE (*cdecl)(ColorInformation*, double*), ERRORCODE (*twin)(ColorInformation*, double*))
{
    return [=](OpenScene&, bool useTwin) {
        std::vector<float> w, ref, m;
        for (int nm = 380; nm <= 780; nm += 5) {
            w.push_back(float(nm));
            ref.push_back(1.0f);
            m.push_back(float(illuminantA(nm)));
        }
        ColorInformation* info = nullptr;
        DSPLI_ColorInformationAllocation(&info, 2, 0, 0, w.data(), ref.data(), m.data(), uint32_t(w.size()));
        DSPLI_ColorOperation(info);
        double out[17];
        std::memset(out, 0, sizeof out);
        Outcome r;
        r.code = (useTwin ? twin : cdecl)(info, out);
        r.outputs = bytes(out, sizeof out);
        // A null record and a null output answer the same too.
        r.outputs += QByteArray::number((useTwin ? twin : cdecl)(nullptr, out));
        r.outputs += QByteArray::number((useTwin ? twin : cdecl)(info, nullptr));
        DSPLI_ColorInformationFree(info);
        return r;
    };
}

struct Row {
    const char* twin;
    Call call;
};

#define VALUE(Name) {"VB6QVI_" #Name, valueGetter(QVI_##Name, VB6QVI_##Name)}
#define TEXT(Name) {"VB6QVI_" #Name, textGetter(QVI_##Name, VB6QVI_##Name)}
#define COLOUR(Name) {"VB6QVI_" #Name, colourGetter(QVI_##Name, VB6QVI_##Name)}

const std::vector<Row>& rows()
{
    static const std::vector<Row> table = {
        {"VB6QVI_LibraryGetNameLength", [](OpenScene&, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_LibraryGetNameLength : QVI_LibraryGetNameLength)(&v); r.outputs = bytes(&v, 4); return r; }},
        {"VB6QVI_LibraryGetName", [](OpenScene&, bool t) { char v[16] = {}; Outcome r; r.code = (t ? VB6QVI_LibraryGetName : QVI_LibraryGetName)(v); r.outputs = bytes(v, 16); return r; }},
        {"VB6QVI_LibraryGetVersion", [](OpenScene&, bool t) { uint16_t v = 0; Outcome r; r.code = (t ? VB6QVI_LibraryGetVersion : QVI_LibraryGetVersion)(&v); r.outputs = bytes(&v, 2); return r; }},
        {"VB6QVI_LibraryGetBuildNumber", [](OpenScene&, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_LibraryGetBuildNumber : QVI_LibraryGetBuildNumber)(&v); r.outputs = bytes(&v, 4); return r; }},
        VALUE(FirmwareGetVersion), VALUE(FirmwareGetBuildNumber),
        {"VB6QVI_SepctrometerGetDeviceAmount", [](OpenScene&, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_SepctrometerGetDeviceAmount : QVI_SepctrometerGetDeviceAmount)(0x10C4, 0xEA61, &v); r.outputs = bytes(&v, 4); return r; }},
        {"VB6QVI_SepctrometerGetDeviceList", [](OpenScene&, bool t) { uint32_t c = 0, l[4] = {}; Outcome r; r.code = (t ? VB6QVI_SepctrometerGetDeviceList : QVI_SepctrometerGetDeviceList)(&c, l); r.outputs = bytes(&c, 4) + bytes(l, 16); return r; }},
        {"VB6QVI_SpectrometerOpen", [](OpenScene& o, bool t) {
             // Closes the device the fixture opened, then opens it again through either form.
             QVI_SpectrometerClose(o.handle);
             o.handle = nullptr;
             Outcome r;
             r.code = (t ? VB6QVI_SpectrometerOpen : QVI_SpectrometerOpen)(0, &o.handle, 0x10C4, 0xEA61);
             r.outputs = QByteArray::number(o.handle != nullptr)
                         + QByteArray::number((t ? VB6QVI_SpectrometerOpen : QVI_SpectrometerOpen)(0, nullptr, 0x10C4, 0xEA61))
                         ;
             void* unknown = nullptr;
             r.outputs += QByteArray::number((t ? VB6QVI_SpectrometerOpen : QVI_SpectrometerOpen)(0, &unknown, 0x10C4, 0x1234));
             return r; }},
        {"VB6QVI_SpectrometerClose", [](OpenScene& o, bool t) {
             Outcome r; r.code = (t ? VB6QVI_SpectrometerClose : QVI_SpectrometerClose)(o.handle); o.handle = nullptr;
             r.outputs = QByteArray::number((t ? VB6QVI_SpectrometerClose : QVI_SpectrometerClose)(nullptr)); return r; }},
        {"VB6QVI_SpectrometerSetAdcGain", [](OpenScene& o, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_SpectrometerSetAdcGain : QVI_SpectrometerSetAdcGain)(o.handle, 3); QVI_SpectrometerGetAdcGain(o.handle, &v); r.outputs = bytes(&v, 4); return r; }},
        VALUE(SpectrometerGetAdcGain),
        {"VB6QVI_SpectrometerSetAdcOffsetVolt", [](OpenScene& o, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_SpectrometerSetAdcOffsetVolt : QVI_SpectrometerSetAdcOffsetVolt)(o.handle, 40); QVI_SpectrometerGetAdcOffsetVolt(o.handle, &v); r.outputs = bytes(&v, 4); return r; }},
        VALUE(SpectrometerGetAdcOffsetVolt),
        {"VB6QVI_SpectrometerSetAdcOffsetCount", [](OpenScene& o, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_SpectrometerSetAdcOffsetCount : QVI_SpectrometerSetAdcOffsetCount)(o.handle, 1049); QVI_SpectrometerGetAdcOffsetVolt(o.handle, &v); r.outputs = bytes(&v, 4); return r; }},
        VALUE(SpectrometerGetAdcOffsetCount),
        {"VB6QVI_SpectrometerSetExternalPort", [](OpenScene& o, bool t) { uint32_t v = 0; Outcome r; r.code = (t ? VB6QVI_SpectrometerSetExternalPort : QVI_SpectrometerSetExternalPort)(o.handle, 6); QVI_SpectrometerGetExternalPort(o.handle, &v); r.outputs = bytes(&v, 4); return r; }},
        VALUE(SpectrometerGetExternalPort),
        VALUE(SpectrometerIsAttached),
        {"VB6QVI_SpectrometerIsAttached (unplugged)", [](OpenScene& o, bool t) {
             o.device.present = false; uint32_t v = 9; Outcome r;
             r.code = (t ? VB6QVI_SpectrometerIsAttached : QVI_SpectrometerIsAttached)(o.handle, &v);
             r.outputs = bytes(&v, 4) + QByteArray::number((t ? VB6QVI_SpectrometerIsAttached : QVI_SpectrometerIsAttached)(nullptr, &v));
             return r; }},
        VALUE(SpectrometerGetRomVersion), TEXT(SpectrometerGetModelName), TEXT(SpectrometerGetSerialNumber),
        TEXT(SpectrometerGetManufacturingDate), TEXT(SpectrometerGetActivatingDate), VALUE(SpectrometerGetAdcMaximumCount),
        VALUE(SpectrometerGetAdcMaximumVolt), TEXT(SpectrometerGetAdcType), TEXT(SpectrometerGetAdcSerialNumber),
        TEXT(SpectrometerGetCoolerType), TEXT(SpectrometerGetCoolerSerialNumber), TEXT(SpectrometerGetSocType),
        TEXT(SpectrometerGetSocSerialNumber), TEXT(SpectrometerGetRomType), TEXT(SpectrometerGetRomSerialNumber),
        VALUE(SpectromoduleGetRomVersion), TEXT(SpectromoduleGetModelName), TEXT(SpectromoduleGetSerialNumber),
        TEXT(SpectromoduleGetManufacturingDate), TEXT(SpectromoduleGetSlitType), TEXT(SpectromoduleGetSlitSerialNumber),
        TEXT(SpectromoduleGetGratingType), TEXT(SpectromoduleGetGratingSerialNumber), TEXT(SpectromoduleGetRomType),
        TEXT(SpectromoduleGetRomSerialNumber), TEXT(SpectromoduleGetSensorType), TEXT(SpectromoduleGetSensorSerialNumber),
        TEXT(SpectromoduleGetFilterType), TEXT(SpectromoduleGetFilterSerialNumber), TEXT(SpectromoduleGetWaveguideType),
        TEXT(SpectromoduleGetWaveguideSerialNumber), VALUE(SpectromoduleGetWavelengthStart),
        VALUE(SpectromoduleGetWavelengthEnd), VALUE(SpectromoduleGetMinimumIntegrationTime),
        VALUE(SpectromoduleGetMaximumIntegrationTime), VALUE(SpectromoduleGetFrameSize),
        {"VB6QVI_SpectrometerWavelengthAcquire", [](OpenScene& o, bool t) { std::vector<float> w(83); Outcome r; r.code = (t ? VB6QVI_SpectrometerWavelengthAcquire : QVI_SpectrometerWavelengthAcquire)(o.handle, w.data()); r.outputs = bytes(w.data(), w.size() * 4); return r; }},
        {"VB6QVI_SpectrometerInitUserRom", [](OpenScene& o, bool t) { Outcome r; r.code = (t ? VB6QVI_SpectrometerInitUserRom : QVI_SpectrometerInitUserRom)(o.handle); return r; }},
        {"VB6QVI_SpectrometerSetUserRom", [](OpenScene& o, bool t) {
             const uint8_t d[13] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}; Outcome r;
             r.code = (t ? VB6QVI_SpectrometerSetUserRom : QVI_SpectrometerSetUserRom)(o.handle, d, 12, 500);
             r.outputs = QByteArray::number((t ? VB6QVI_SpectrometerSetUserRom : QVI_SpectrometerSetUserRom)(o.handle, d, 13, 500)) + rom(o);
             return r; }},
        {"VB6QVI_SpectrometerGetUserRom", [](OpenScene& o, bool t) {
             uint8_t d[16] = {}; Outcome r;
             r.code = (t ? VB6QVI_SpectrometerGetUserRom : QVI_SpectrometerGetUserRom)(o.handle, d, 16, 0);
             r.outputs = bytes(d, 16) + QByteArray::number((t ? VB6QVI_SpectrometerGetUserRom : QVI_SpectrometerGetUserRom)(o.handle, d, 13, 500));
             return r; }},
        {"VB6QVI_SpectromoduleSetIntensityCalibration", [](OpenScene& o, bool t) {
             std::vector<double> f(83, 1.25); Outcome r;
             r.code = (t ? VB6QVI_SpectromoduleSetIntensityCalibration : QVI_SpectromoduleSetIntensityCalibration)(o.handle, f.data(), 7, 50000);
             r.outputs = rom(o); return r; }},
        {"VB6QVI_SpectromoduleGetIntensityCalibration", [](OpenScene& o, bool t) {
             std::vector<double> f(83); uint16_t d = 0; uint32_t ms = 0; Outcome r;
             r.code = (t ? VB6QVI_SpectromoduleGetIntensityCalibration : QVI_SpectromoduleGetIntensityCalibration)(o.handle, f.data(), &d, &ms);
             r.outputs = bytes(f.data(), f.size() * 8) + bytes(&d, 2) + bytes(&ms, 4); return r; }},
        {"VB6QVI_SpectrometerDataAcquire", [](OpenScene& o, bool t) {
             std::vector<float> s(83); Outcome r;
             r.code = (t ? VB6QVI_SpectrometerDataAcquire : QVI_SpectrometerDataAcquire)(o.handle, 100000, s.data(), 2);
             r.outputs = bytes(s.data(), s.size() * 4); return r; }},
        {"VB6QVI_BackgroundRemove", correction(QVI_BackgroundRemove, VB6QVI_BackgroundRemove, 100000)},
        {"VB6QVI_StraylightRemove", correction(QVI_StraylightRemove, VB6QVI_StraylightRemove, 0)},
        {"VB6QVI_LinearityCorrection", correction(QVI_LinearityCorrection, VB6QVI_LinearityCorrection, 83)},
        {"VB6QVI_ContrastIntensityCorrection", [](OpenScene& o, bool t) {
             std::vector<float> s(83, 3.0f); Outcome r;
             r.code = (t ? VB6QVI_ContrastIntensityCorrection : QVI_ContrastIntensityCorrection)(o.handle, s.data());
             r.outputs = bytes(s.data(), s.size() * 4); return r; }},
        {"VB6QVI_AbsoluteIntensityCorrection", [](OpenScene& o, bool t) {
             std::vector<float> s(83, 3.0f); Outcome r;
             r.code = (t ? VB6QVI_AbsoluteIntensityCorrection : QVI_AbsoluteIntensityCorrection)(o.handle, s.data(), 25000);
             r.outputs = bytes(s.data(), s.size() * 4); return r; }},
        {"VB6QVI_DoIntensityCalibration", [](OpenScene& o, bool t) {
             float rw[3] = {370, 600, 790}, rv[3] = {1, 2, 3}; std::vector<float> m(83, 50.0f); Outcome r;
             r.code = (t ? VB6QVI_DoIntensityCalibration : QVI_DoIntensityCalibration)(o.handle, 3, rw, rv, m.data(), 100000, 9);
             r.outputs = rom(o); return r; }},
        {"VB6QVI_SpectrumAllocation", [](OpenScene&, bool t) {
             float w[2] = {400, 500}; Spectrum* s = nullptr; Outcome r;
             r.code = (t ? VB6QVI_SpectrumAllocation : QVI_SpectrumAllocation)(&s, w, nullptr, 2);
             r.outputs = bytes(&s->count, 12) + bytes(s->values, 8) + QByteArray::number(s->wavelengths == w);
             r.outputs += QByteArray::number((t ? VB6QVI_SpectrumFree : QVI_SpectrumFree)(s));
             return r; }},
        {"VB6QVI_SpectrumSet", [](OpenScene&, bool t) {
             float w[2] = {400, 500}, v[2] = {7, 8}; Spectrum* s = nullptr; Outcome r;
             DSPLI_SpectrumAllocation(&s, nullptr, nullptr, 2);
             r.code = (t ? VB6QVI_SpectrumSet : QVI_SpectrumSet)(s, w, v);
             r.outputs = bytes(s->wavelengths, 8) + bytes(s->values, 8) + QByteArray::number((t ? VB6QVI_SpectrumSet : QVI_SpectrumSet)(nullptr, w, v));
             DSPLI_SpectrumFree(s); return r; }},
        {"VB6QVI_SpectrumFree", [](OpenScene&, bool t) { Outcome r; r.code = (t ? VB6QVI_SpectrumFree : QVI_SpectrumFree)(nullptr); return r; }},
        COLOUR(ColorGetXYZRef), COLOUR(ColorGetxyzRef), COLOUR(ColorGetXYZ), COLOUR(ColorGetLab), COLOUR(ColorGetHunterLab),
        COLOUR(ColorGetLuv), COLOUR(ColorGetUVW), COLOUR(ColorGetuvw), COLOUR(ColorGet1960UCS), COLOUR(ColorGet1960ucs),
        COLOUR(ColorGet1976UCS), COLOUR(ColorGet1976ucs), COLOUR(ColorGetCCT), COLOUR(ColorGetDominantWavelength),
        COLOUR(ColorGetPurity), COLOUR(ColorGetCIEWhiteness), COLOUR(ColorGetCIETint), COLOUR(ColorGetColorRenderingIndex),
        {"VB6QVI_ColorGetCIExyz", colourGetter(QVI_ColorGetxyz, VB6QVI_ColorGetCIExyz)},
        {"VB6QVI_ColorInformationAllocation", [](OpenScene&, bool t) {
             float w[3] = {500, 550, 600}, ref[3] = {1, 1, 1}, m[3] = {1, 2, 1}; ColorInformation* info = nullptr; Outcome r;
             r.code = (t ? VB6QVI_ColorInformationAllocation : QVI_ColorInformationAllocation)(&info, 2, 0, 0, w, ref, m, 3);
             r.outputs = bytes(&info->preset, 4) + QByteArray::number((t ? VB6QVI_ColorInformationAllocation : QVI_ColorInformationAllocation)(nullptr, 2, 0, 0, w, ref, m, 3));
             r.outputs += QByteArray::number((t ? VB6QVI_ColorOperation : QVI_ColorOperation)(info)) + bytes(info->XYZ, 24);
             float* gw = nullptr; float* gr = nullptr; float* gm = nullptr;
             r.outputs += QByteArray::number((t ? VB6QVI_ColorInformationGet : QVI_ColorInformationGet)(info, &gw, &gr, &gm));
             r.outputs += QByteArray::number(gw == w) + QByteArray::number(gm == m);
             float m2[3] = {2, 4, 2};
             r.outputs += QByteArray::number((t ? VB6QVI_ColorInformationSet : QVI_ColorInformationSet)(info, w, ref, m2));
             r.outputs += QByteArray::number((t ? VB6QVI_ColorInformationFree : QVI_ColorInformationFree)(info));
             return r; }},
        {"VB6QVI_ColorInformationFree", [](OpenScene&, bool t) { Outcome r; r.code = (t ? VB6QVI_ColorInformationFree : QVI_ColorInformationFree)(nullptr); return r; }},
        {"VB6QVI_ColorInformationGet", [](OpenScene&, bool t) { float* p = nullptr; Outcome r; r.code = (t ? VB6QVI_ColorInformationGet : QVI_ColorInformationGet)(nullptr, &p, &p, &p); return r; }},
        {"VB6QVI_ColorInformationSet", [](OpenScene&, bool t) { Outcome r; r.code = (t ? VB6QVI_ColorInformationSet : QVI_ColorInformationSet)(nullptr, nullptr, nullptr, nullptr); return r; }},
        {"VB6QVI_ColorOperation", [](OpenScene&, bool t) { Outcome r; r.code = (t ? VB6QVI_ColorOperation : QVI_ColorOperation)(nullptr); return r; }},
        {"VB6QVI_MATHGetCurveInfo", [](OpenScene&, bool t) {
             const float w[5] = {500, 510, 520, 530, 540}, v[5] = {0, 1, 4, 1, 0}; float peak = 0, centre = 0, width = 0; Outcome r;
             r.code = (t ? VB6QVI_MATHGetCurveInfo : QVI_MATHGetCurveInfo)(w, v, 5, &peak, &centre, &width);
             r.outputs = bytes(&peak, 4) + bytes(&centre, 4) + bytes(&width, 4); return r; }},
    };
    return table;
}

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private slots:
    void everyExportIsInTheDynamicSymbolTable()
    {
        QProcess nm;
        nm.start("nm", {"-D", "--defined-only", QStringLiteral(QUORVANE_LIBRARY_FILE)});
        QVERIFY(nm.waitForFinished(30000));
        QCOMPARE(nm.exitCode(), 0);
        QSet<QString> defined;
        for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() == 3 && parts[1] == "T")
                defined << QString::fromLatin1(parts[2]);
        }
        QStringList missing;
        for (const char* name : kExports) {
            if (!defined.contains(QLatin1String(name)))
                missing << QLatin1String(name);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
        // Nothing but the interface is exported: no C++ symbol leaks out.
        QStringList extra;
        for (const QString& name : defined) {
            if (!name.startsWith("QVI_") && !name.startsWith("VB6QVI_"))
                extra << name;
        }
        QVERIFY2(extra.isEmpty(), qPrintable(extra.join(' ')));
        // No twins of the trigger functions.
        for (const char* name : {"VB6QVI_SpectrometerGetTriggerIO", "VB6QVI_SpectrometerSetTriggerIO",
                                 "VB6QVI_SpectrometerTriggerDataAcquire", "VB6QVI_ColorGetxyz", "QVI_ColorGetColorQualityScale"})
            QVERIFY2(!defined.contains(QLatin1String(name)), name);
    }

    void everyTwinHasARow()
    {
        QSet<QString> covered;
        for (const Row& row : rows())
            covered << QLatin1String(row.twin);
        QStringList missing;
        for (const char* name : kExports) {
            if (QByteArray(name).startsWith("VB6QVI_") && !covered.contains(QLatin1String(name)))
                missing << QLatin1String(name);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
    }

    void twinAnswersAsItsExport_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < rows().size(); ++i)
            QTest::newRow(rows()[i].twin) << int(i);
    }
    void twinAnswersAsItsExport()
    {
        QFETCH(int, index);
        const Row& row = rows()[size_t(index)];
        DeviceOptions options;
        options.light = sceneLight(illuminantA, 0.05);
        Outcome outcome[2];
        for (int twin = 0; twin < 2; ++twin) {
            OpenScene o({}, options);
            QCOMPARE(o.opened, ERRORCODE(0));
            outcome[twin] = row.call(o, twin == 1);
        }
        QCOMPARE(outcome[1].code, outcome[0].code);
        QCOMPARE(outcome[1].outputs, outcome[0].outputs);
    }

    void twinsCheckInTheSameOrder()
    {
        // The dates: the activating one checks the information record's status, the manufacturing
        // one does not; the two dates of a device differ.
        OpenScene o;
        char a[16] = {}, m[16] = {};
        QCOMPARE(VB6QVI_SpectrometerGetActivatingDate(o.handle, a), ERRORCODE(0));
        QCOMPARE(VB6QVI_SpectrometerGetManufacturingDate(o.handle, m), ERRORCODE(0));
        QVERIFY(QByteArray(a) != QByteArray(m));
        o.record()->spectrometerInformationStatus = 8;
        QCOMPARE(VB6QVI_SpectrometerGetActivatingDate(o.handle, a), ERRORCODE(8));
        QCOMPARE(VB6QVI_SpectrometerGetManufacturingDate(o.handle, m), ERRORCODE(0));
        QCOMPARE(VB6QVI_SpectrometerGetModelName(nullptr, nullptr), ERRORCODE(1));
        QCOMPARE(VB6QVI_SpectrometerGetModelName(nullptr, m), ERRORCODE(6));
        o.record()->spectrometerInformationStatus = 0;
    }
};

QV_TEST_MAIN_CORE(TestExports)
#include "tst_exports.moc"
