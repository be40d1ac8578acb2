// The operations that local mode serves, one group per file.
#pragma once

#include "qvlclient.h"

namespace qvl::local {

// localDevice.cpp: device operations passed through to qvldev with the handle dropped.
int32_t __cdecl GetVersion(uint32_t h);
int32_t __cdecl GetDriverCapabilities(uint32_t h, DriverCapabilities *caps);
int32_t __cdecl GetControllerCount(uint32_t h);
int32_t __cdecl GetControllerInfo(uint32_t h, uint32_t controller, ControllerRecord *rec);
int32_t __cdecl GetChannelInfo(uint32_t h, uint32_t controller, uint32_t channel, ChannelRecord *rec);
int32_t __cdecl GetLogicalDevices(uint32_t h, DeviceId *list, uint32_t capacity);
int32_t __cdecl GetDeviceInfo(uint32_t h, DeviceId device, DeviceInfo *info);
int32_t __cdecl CreateArray(uint32_t h, uint32_t params);
int32_t __cdecl DeleteArray(uint32_t h, DeviceId array, uint32_t flags);
int32_t __cdecl AddDiskToArray(uint32_t h, uint32_t a, uint32_t b);
int32_t __cdecl AddSpareDisk(uint32_t h, uint32_t a);
int32_t __cdecl RemoveSpareDisk(uint32_t h, uint32_t a);
int32_t __cdecl SetArrayState(uint32_t h, uint32_t a, uint32_t b);
int32_t __cdecl SetArrayInfo(uint32_t h, uint32_t a, uint32_t b);
int32_t __cdecl SetDeviceInfo(uint32_t h, DeviceId device, void *settings);
int32_t __cdecl RescanDevices(uint32_t h);
int32_t __cdecl QueryRemove(uint32_t h, uint32_t count, DeviceId *list);
int32_t __cdecl RemoveDevices(uint32_t h, uint32_t count, DeviceId *list);

// eventText.cpp and eventLog.cpp
int32_t __cdecl GetLogEvent(uint32_t h, EventEntry *entry);
int32_t __cdecl SaveLogEvent(uint32_t h, EventEntry *entry);
int32_t __cdecl EnumEvent(uint32_t h, EventEntry *entry, int32_t index);
int32_t __cdecl ClearEventLog(uint32_t h);

// serverInfo.cpp
int32_t __cdecl GetServerInfo(uint32_t h, ServerInfo *info);
int32_t __cdecl RebootServer(uint32_t h);

} // namespace qvl::local
