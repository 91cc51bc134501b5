#pragma once
// A complete ROM for an emulated spectrometer and the light it sees, for tests of the layers over
// the device library: 101 pixels whose wavelengths run from 300 to 800 nm in 5 nm steps (pixel p
// sees 300 + 5 p nm), the module range 380..780 nm (window: pixels 15..97, 375..785 nm), masked
// dark pixels 0..4, a dark level on a line over the integration time, and stray-light regions
// 325..350 nm (pixels 5..9) and 790..1000 nm (pixels 98..100).

#include "romimage.h"
#include "spectrometeremulator.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrinemu {

struct Scene {
    uint32_t configuration = 0;
    std::string serialNumber = "NRL-000123";
    uint16_t manufacturingDate = 0x1E67;  // 2025/3/7
    uint16_t activatingDate = 0x1EA1;     // 2025/5/1
    uint16_t frameSize = 101;
    std::array<double, 2> wavelengthLine{300.0, 5.0};  // nm of pixel 0, nm per pixel
    double wavelengthStart = 380.0, wavelengthEnd = 780.0;
    std::array<uint32_t, 4> strayLight{325, 350, 790, 1000};
    double darkSlope = 0.0005;            // counts per microsecond of integration
    double darkIntercept = 400.0;
    int backgroundPixels = -1;            // pixels the background image holds; -1: the frame
    std::vector<double> intensityFactors = std::vector<double>(101, 1.0);
    double intensityScale = 1.0;
    uint16_t intensityTimeMs = 100;
    std::array<double, 8> linearity{1, 0, 0, 0, 0, 0, 0, 0};
    bool writeModule = true;
};

inline void writeScene(EmulatedDevice& device, const Scene& scene)
{
    const auto l = romimage::layoutForKind(device.kind());
    romimage::SpectrometerInformation info;
    info.configuration = scene.configuration;
    info.serialNumber = scene.serialNumber;
    info.manufacturingDate = scene.manufacturingDate;
    info.activatingDate = scene.activatingDate;
    const auto bytes = romimage::spectrometerInformation(info);
    std::copy(bytes.begin(), bytes.end(), device.spectrometerRom.begin() + l.spectrometerInformation);
    auto place = [&](uint32_t offset, const romimage::Bytes& image) {
        std::copy(image.begin(), image.end(), device.moduleImage(offset));
    };
    if (scene.writeModule) {
        romimage::SpectromoduleInformation module;
        module.frameSize = scene.frameSize;
        module.pixelEnd = uint16_t(scene.frameSize - 1);
        module.dummyPixelStart = 0;
        module.dummyPixelEnd = 4;
        module.wavelengthStart = scene.wavelengthStart;
        module.wavelengthEnd = scene.wavelengthEnd;
        module.strayLight = scene.strayLight;
        place(0, romimage::spectromoduleInformation(module));
    }
    romimage::WavelengthCalibration wl;
    wl.coefficients = {scene.wavelengthLine[0], scene.wavelengthLine[1], 0, 0, 0, 0};
    place(l.wavelength, romimage::wavelengthCalibration(wl));
    romimage::BackgroundCalibration bg;
    bg.pixels.assign(scene.backgroundPixels < 0 ? scene.frameSize : size_t(scene.backgroundPixels),
                     {scene.darkSlope, scene.darkIntercept});
    place(l.background, romimage::backgroundCalibration(bg));
    romimage::LinearityCalibration lin;
    lin.coefficients = scene.linearity;
    place(l.linearity, romimage::linearityCalibration(lin));
    romimage::IntensityCalibration in;
    in.factors = scene.intensityFactors;
    in.scale = scene.intensityScale;
    in.integrationTimeMs = scene.intensityTimeMs;
    place(l.intensity, romimage::intensityCalibration(in));
}

// CIE illuminant A, relative spectral power (100 at 560 nm).
inline double illuminantA(double nm)
{
    const double c2 = 1.435e7;
    return 100.0 * std::pow(560.0 / nm, 5) * (std::exp(c2 / (2848.0 * 560.0)) - 1.0) / (std::exp(c2 / (2848.0 * nm)) - 1.0);
}

// Counts per millisecond: nothing on the masked dark pixels (below 325 nm), a stray level rising
// straight over the pixels everywhere else, and `source` scaled by `gain` from 360 to 785 nm.
inline LightSource sceneLight(std::function<double(double)> source, double gain, double strayBase = 2.0,
                              double strayPerPixel = 0.01)
{
    return [=](double nm) {
        if (nm < 325.0)
            return 0.0;
        const double pixel = (nm - 300.0) / 5.0;
        double value = strayBase + strayPerPixel * pixel;
        if (nm >= 360.0 && nm <= 785.0)
            value += gain * source(nm);
        return value;
    };
}

} // namespace tavrinemu
