#ifndef QVL_CONTROLLERUNIT_H
#define QVL_CONTROLLERUNIT_H

#include <array>

#include "GetInfo.h"
#include "deviceBase.h"

class TChannel;

class TController : public TDeviceBase {
public:
    static constexpr int MaxChannels = 16;

    TController(TRAIDSystem *system, uint32_t handle, int controllerIndex);
    explicit TController(const TController &source);

    int Refresh() override;

    // The new child's position, or -1 when the table is full or there is no channel.
    int AddChild(TChannel *channel);
    int ChildCount() const { return ChildChannelCount; }
    TChannel *Child(int index) const;

    std::array<TChannel *, MaxChannels> ChildChannels{}; // not owned
    int ChildChannelCount = 0;
    _ControllerInfo Info;
    uint8_t Trailing = 0;
};

#endif
