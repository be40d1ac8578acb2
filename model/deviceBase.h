// The device objects of the console: one per controller, channel and physical device, each
// read through the client library when it is made.
#ifndef QVL_DEVICEBASE_H
#define QVL_DEVICEBASE_H

#include <cstdint>
#include <string>

#include "pictures.h"

class TRAIDSystem;

// Device kinds as the tree and the server manager tell them apart.
enum : int {
    KindDevice = 2,
    KindChannel = 4,
    KindController = 5,
};

// Pictures are 24 x 24; white is their transparent colour.
constexpr int PictureSize = 24;
constexpr COLORREF PictureTransparent = qvl::TransparentWhite;

class TDeviceBase {
public:
    TDeviceBase &operator=(const TDeviceBase &) = delete;
    virtual ~TDeviceBase() = default;

    // Reads the object from the library: 0 on success, 1 when the read failed (Valid false).
    virtual int Refresh() = 0;

    uint32_t Reserved = 0;
    bool IsCopy = false;
    uint32_t Handle = 0;
    TRAIDSystem *System = nullptr; // not owned; none in a copy
    bool Valid = true;
    uint32_t Id = 0;
    int Kind = 0;
    std::string Name;
    TDeviceBase *Parent = nullptr; // not owned
    qvl::Bitmap Picture;

protected:
    TDeviceBase(TRAIDSystem *system, uint32_t handle, uint32_t address);
    // A copy has its own picture and no system, parent or children; it is never refreshed.
    TDeviceBase(const TDeviceBase &source);
    // The system's composer; none without a system or when the system has none.
    const TPictureComposer *Pictures() const;
};

#endif
