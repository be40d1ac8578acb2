#ifndef QVL_CHANNELUNIT_H
#define QVL_CHANNELUNIT_H

#include <array>

#include "GetInfo.h"
#include "deviceBase.h"

class TDevice;

class TChannel : public TDeviceBase {
public:
    static constexpr int MaxDevices = 2; // master and slave

    TChannel(TRAIDSystem *system, uint32_t handle, int controllerIndex, int channelIndex);
    explicit TChannel(const TChannel &source);

    int Refresh() override;

    int AddChild(TDevice *device);
    int ChildCount() const { return ChildDeviceCount; }
    TDevice *Child(int index) const;

    std::array<TDevice *, MaxDevices> ChildDevices{}; // not owned
    int ChildDeviceCount = 0;
    _ChannelInfo Info;
    int ControllerIndex = 0;
    int ChannelIndex = 0;
};

#endif
