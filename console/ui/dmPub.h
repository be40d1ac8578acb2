// Tdm: the image-list module, the one source of the console's pictures, and the composer
// that draws the model's pictures (a device picture with its status marks).
#ifndef QVL_DMPUB_H
#define QVL_DMPUB_H

#include "QvlImagelist.h"
#include "gdiOwn.h"

// Pictures of DeviceInfoImagelist.
enum : int {
    MarkDisabled = 0,
    MarkSpare = 1,
    MarkBootable = 2,
    MarkAttention = 3,
};

class Tdm : public TPictureComposer {
public:
    Tdm();
    Tdm(const Tdm &) = delete;
    Tdm &operator=(const Tdm &) = delete;

    TQvlImagelist ChipAndEventInfoImagelist; // controllers and channels
    TQvlImagelist DeviceImagelist;           // devices and the system; not masked
    TQvlImagelist DeviceInfoImagelist;       // 12 x 12 status marks
    TQvlImagelist DM_ImageList;              // toolbar of the device-management page

    // Makes `picture` a 24 x 24 copy of device picture `index` (blank white when there is
    // none) with the marks of `statusClass` over it.
    void ComposeDevicePicture(qvl::Bitmap &picture, int index, int statusClass) const;
    // Draws one mark transparently at a slot: 0 top right, 1 top left, 2 bottom left, 3 and
    // above bottom right.
    void DrawMark(HBITMAP picture, int mark, int slot) const;

    // The model's pictures.
    qvl::Bitmap ControllerPicture() const override { return ChipAndEventInfoImagelist.Picture(0); }
    qvl::Bitmap ChannelPicture() const override { return ChipAndEventInfoImagelist.Picture(1); }
    qvl::Bitmap SystemPicture() const override { return DeviceImagelist.Picture(PictureSystem); }
    qvl::Bitmap DevicePicture(int index, int statusClass) const override;
};

// The program-wide module; the entry point makes it after the main window and owns it.
extern Tdm *dm;

#endif
