#include "dmPub.h"

#include "dmArt.h"
#include "GetInfo.h"

Tdm *dm = nullptr;

namespace {

void Fill(TQvlImagelist &list, std::initializer_list<const qvl::PixelArt *> pictures)
{
    for (const qvl::PixelArt *art : pictures)
        list.Add(qvl::RenderArt(*art).get());
}

} // namespace

Tdm::Tdm()
    : ChipAndEventInfoImagelist(24, 24, true, 2), DeviceImagelist(24, 24, false, 6),
      DeviceInfoImagelist(12, 12, true, 4), DM_ImageList(24, 24, true, 2)
{
    namespace art = qvl::art;
    Fill(ChipAndEventInfoImagelist, {&art::Controller, &art::Channel});
    Fill(DeviceImagelist, {&art::HardDisk, &art::CdRom, &art::Tape, &art::RackDisk, &art::Unknown, &art::System});
    Fill(DeviceInfoImagelist, {&art::MarkDisabled, &art::MarkSpare, &art::MarkBootable, &art::MarkAttention});
    Fill(DM_ImageList, {&art::Rescan, &art::Unplug});

    ChipAndEventInfoImagelist.SetDescriptions({
        "Quorvel ATA RAID Controller ",
        "ATA Channel. Each channel can be linked with two ATA devices.",
        "Information. Normal events will be shown with this icon.",
        "Warning. Some critical events will be shown with this icon.",
        "Error. Serious error events will be shown with this icon.",
    });
    DeviceImagelist.SetDescriptions({
        "RAID 0. Increases system performance by striping data across hard disks. ",
        "RAID 1. Provides data protection by mirroring data from one disk to another.",
        "RAID 1.5. Extended RAID 1 array with higher performance than RAID 1 array.",
        "JBOD. Provides increased storage capacity by combining two or more disks into one "
        "virtual hard disk. ",
        "RAID 5. Provides data protection and increased performance by stripped data and parity.",
        "RAID 0/1. Provides data protection and increased performance by building mirrored "
        "striping sets.",
        "RAID 1/0. Provides data protection and increased performance by building stripped "
        "mirroring sets.",
        "ATA Hard disk. It can be linked as master or slave device to a channel.",
        "CDROM. The linked device is a cdrom.",
        "TAPE. The linked device is a tape.",
        "Mobile Rack. Provides convenience of hot plugging.",
        "Unknown Device. This device type can't be determined.",
        "System. Represents the connected system.",
    });
    DeviceInfoImagelist.SetDescriptions({
        "Indicates a device or an array is disabled.",
        "Indicates an array is critical.",
        "Indicates a device is a spare disk.",
        "Indicates a device or an array is bootable.",
        "Indicates an array need rebuilding.",
        "Indicates an array is being rebuilt or duplicated.",
        "Indicates an array is being verified.",
        "Indicates a RAID 5 Array is being initialized.",
        "Indicates the system can not determine the device or array status.",
    });
}

void Tdm::ComposeDevicePicture(qvl::Bitmap &picture, int index, int statusClass) const
{
    picture = qvl::CreatePicture(DeviceImagelist.Width(), DeviceImagelist.Height(), qvl::TransparentWhite);
    if (!picture)
        return;
    {
        qvl::BitmapDC dc(picture.get());
        DeviceImagelist.Draw(index, dc.get(), 0, 0); // no picture: stays blank
    }
    if (statusClass & StatusClassDisabled) {
        DrawMark(picture.get(), MarkDisabled, 0);
        return;
    }
    int slot = 0;
    if (statusClass & StatusClassBootable)
        DrawMark(picture.get(), MarkBootable, slot++);
    if (statusClass & StatusClassSpare)
        DrawMark(picture.get(), MarkSpare, slot++);
    if (statusClass & StatusClassAttention)
        DrawMark(picture.get(), MarkAttention, slot++);
}

qvl::Bitmap Tdm::DevicePicture(int index, int statusClass) const
{
    qvl::Bitmap picture;
    ComposeDevicePicture(picture, index, statusClass);
    return picture;
}

void Tdm::DrawMark(HBITMAP picture, int mark, int slot) const
{
    static const POINT slots[] = {{12, 0}, {0, 0}, {0, 12}, {12, 12}};
    const POINT at = slots[slot < 0 ? 0 : slot > 3 ? 3 : slot];
    qvl::BitmapDC dc(picture);
    DeviceInfoImagelist.Draw(mark, dc.get(), at.x, at.y);
}
