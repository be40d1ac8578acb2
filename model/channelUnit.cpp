#include "channelUnit.h"

#include "deviceUnit.h"

TChannel::TChannel(TRAIDSystem *system, uint32_t handle, int controllerIndex, int channelIndex)
    : TDeviceBase(system, handle, 0), ControllerIndex(controllerIndex), ChannelIndex(channelIndex)
{
    // Nothing looks a channel up by its Id; it only has to be set.
    Id = static_cast<uint32_t>(11 * channelIndex);
    Refresh();
}

TChannel::TChannel(const TChannel &source)
    : TDeviceBase(source), ControllerIndex(source.ControllerIndex), ChannelIndex(source.ChannelIndex)
{
    Info = source.Info;
}

int TChannel::Refresh()
{
    Kind = KindChannel;
    if (!ReadChannelTexts(Handle, ControllerIndex, ChannelIndex, Info)) {
        Valid = false;
        return 1;
    }
    Name = Info.Name;
    if (const TPictureComposer *pictures = Pictures())
        Picture = pictures->ChannelPicture();
    Valid = true;
    return 0;
}

int TChannel::AddChild(TDevice *device) { return AddChildLink(ChildDevices, ChildDeviceCount, device, this); }

TDevice *TChannel::Child(int index) const { return ChildLink(ChildDevices, ChildDeviceCount, index); }
