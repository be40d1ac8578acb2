#ifndef QVL_DEVICEUNIT_H
#define QVL_DEVICEUNIT_H

#include "GetInfo.h"
#include "deviceBase.h"

class TDevice : public TDeviceBase {
public:
    TDevice(TRAIDSystem *system, uint32_t handle, DeviceId id);
    explicit TDevice(const TDevice &source);

    int Refresh() override;

    static bool ReadBayInfo(uint32_t handle, DeviceId id, BayInfo &bay);
    // Degrees from the rack sensor's raw reading.
    static double BayTemperature(const BayInfo &bay);
    static double BayTemperature(uint16_t reading);

    _PhyDeviceinfo Info;
    uint32_t Reserved2 = 0;
    bool InRack = false;
};

#endif
