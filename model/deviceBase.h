// The device objects of the console: one per controller, channel and physical device, each
// read through the client library when it is made.
#ifndef QVL_DEVICEBASE_H
#define QVL_DEVICEBASE_H

#include <array>
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
    qvl::Bitmap Picture;           // 24 x 24; white is its transparent colour

protected:
    TDeviceBase(TRAIDSystem *system, uint32_t handle, uint32_t address);
    // A copy has its own picture and no system, parent or children; it is never refreshed.
    TDeviceBase(const TDeviceBase &source);
    // The system's composer; none without a system or when the system has none.
    const TPictureComposer *Pictures() const;
};

// A container's child links (a controller's channels, a channel's devices): not owned, filled
// from position 0, `count` of them in use.
// Puts the child at the next position and makes the container its parent: that position, or -1
// when the links are full or there is no child, and nothing changes.
template <class T, size_t N> int AddChildLink(std::array<T *, N> &links, int &count, T *child, TDeviceBase *container)
{
    if (!child || count >= static_cast<int>(N))
        return -1;
    links[count] = child;
    child->Parent = container;
    return count++;
}

// The child at a position; none at and beyond the count.
template <class T, size_t N> T *ChildLink(const std::array<T *, N> &links, int count, int index)
{
    return index >= 0 && index < count ? links[index] : nullptr;
}

#endif
