#include "controllerUnit.h"

#include "channelUnit.h"

TController::TController(TRAIDSystem *system, uint32_t handle, int controllerIndex)
    : TDeviceBase(system, handle, static_cast<uint32_t>(controllerIndex))
{
    Refresh();
}

TController::TController(const TController &source) : TDeviceBase(source), Trailing(source.Trailing)
{
    Info.Name = source.Info.Name;
    Info.ChipName = source.Info.ChipName;
    Info.InterruptStr = source.Info.InterruptStr;
    Info.ChannelCountStr = source.Info.ChannelCountStr;
    Info.ChannelCount = source.Info.ChannelCount;
    Info.ReservedStr = source.Info.ReservedStr;
    Info.Product = source.Info.Product;
    Info.Manufacturer = source.Info.Manufacturer;
}

int TController::Refresh()
{
    Kind = KindController;
    if (!ReadControllerTexts(Handle, static_cast<int>(Id), Info)) {
        Valid = false;
        return 1;
    }
    Name = Info.Name;
    if (const TPictureComposer *pictures = Pictures())
        Picture = pictures->ControllerPicture();
    return 0;
}

int TController::AddChild(TChannel *channel) { return AddChildLink(ChildChannels, ChildChannelCount, channel, this); }

TChannel *TController::Child(int index) const { return ChildLink(ChildChannels, ChildChannelCount, index); }
