#include "deviceBase.h"

#include "systemUnit.h"

TDeviceBase::TDeviceBase(TRAIDSystem *system, uint32_t handle, uint32_t address)
    : Handle(handle), System(system), Id(address)
{
}

TDeviceBase::TDeviceBase(const TDeviceBase &source)
    : Reserved(source.Reserved), IsCopy(true), Handle(source.Handle), Id(source.Id), Kind(source.Kind),
      Name(source.Name), Picture(qvl::CopyPicture(source.Picture.get()))
{
}

const TPictureComposer *TDeviceBase::Pictures() const { return System ? System->Pictures : nullptr; }
