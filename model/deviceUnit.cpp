#include "deviceUnit.h"

#include <cmath>
#include <cstring>

#include "qvlclient.h"

TDevice::TDevice(TRAIDSystem *system, uint32_t handle, DeviceId id) : TDeviceBase(system, handle, id) { Refresh(); }

TDevice::TDevice(const TDevice &source) : TDeviceBase(source), Info(source.Info), InRack(source.InRack) {}

int TDevice::Refresh()
{
    Kind = KindDevice;
    if (!ReadDeviceTexts(Handle, Id, Info)) {
        Valid = false;
        return 1;
    }
    Name = Info.ModelStr;
    InRack = false;
    int picture = -1;
    switch (Info.DeviceType) {
    case QVL_DEVTYPE_HDD:
        InRack = (Info.StatusFlags & QVL_DISK_IN_RACK) != 0;
        picture = InRack ? PictureRackDisk : PictureHardDisk;
        break;
    case QVL_DEVTYPE_CDROM:
        picture = PictureCdRom;
        break;
    case QVL_DEVTYPE_TAPE:
        picture = PictureTape;
        break;
    case 0:
        picture = PictureUnknown;
        break;
    default:
        break; // no picture for a type the console does not know
    }
    const TPictureComposer *pictures = Pictures();
    if (picture >= 0 && pictures)
        Picture = pictures->DevicePicture(picture, Info.StatusClass);
    Valid = true;
    return 0;
}

bool TDevice::ReadBayInfo(uint32_t handle, DeviceId id, BayInfo &bay)
{
    std::memset(&bay, 0, sizeof bay);
    return cs_qvl_get_bay_info(handle, id, &bay) == 0;
}

double TDevice::BayTemperature(const BayInfo &bay) { return BayTemperature(bay.temperature); }

namespace {

// Calibration of the rack's sensor: readings fall as degrees rise.
constexpr int Points = 23;
constexpr double X[Points] = {453, 416, 410, 394, 388, 369, 346, 340, 330, 320, 312, 304,
                              301, 299, 290, 285, 278, 276, 259, 243, 241, 238, 195};
constexpr double Y[Points] = {30.8, 31.8, 32.8, 33.8, 35.0, 36.0, 37.0, 38.0, 39.2, 40.0, 41.0, 42.0,
                              44.0, 45.1, 46.0, 47.1, 48.1, 48.9, 49.9, 51.1, 52.4, 53.0, 54.1};

double Newton(double r)
{
    double c[Points];
    std::memcpy(c, Y, sizeof c);
    double p = Y[0], product = 1.0;
    for (int k = 0; k < Points - 1; ++k) {
        for (int j = 0; j < Points - 1 - k; ++j)
            c[j] = (c[j + 1] - c[j]) / (X[k + j + 1] - X[j]);
        product *= r - X[k];
        p += c[0] * product;
    }
    return p;
}

} // namespace

double TDevice::BayTemperature(uint16_t reading)
{
    const double r = reading;
    const double p = Newton(r);
    if (r < X[Points - 1]) {
        const double l = Y[22] + (r - X[22]) * (Y[22] - Y[21]) / (X[22] - X[21]);
        return std::fabs(l - p) > 2.0 ? l : p;
    }
    if (r > X[0]) {
        const double l = Y[0] + (r - X[0]) * (Y[1] - Y[0]) / (X[1] - X[0]);
        return std::fabs(l - p) > 2.0 ? l : p;
    }
    int i = 0;
    for (int k = 1; k < Points; ++k)
        if (std::fabs(r - X[k]) < std::fabs(r - X[i]))
            i = k;
    // At the table's ends the slope is the one-sided difference, the same one used beyond
    // them, so the estimate runs on without a step at 195 and 453.
    const int lo = i == 0 ? 0 : i - 1, hi = i == Points - 1 ? Points - 1 : i + 1;
    const double l = Y[i] + (r - X[i]) * (Y[hi] - Y[lo]) / (X[hi] - X[lo]);
    return std::fabs(p - l) > 1.0 ? l : p;
}
