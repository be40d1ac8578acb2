// show: one item of the tree found by identifier or location, and its information-panel rows.
#ifndef QVL_CTL_SHOWROWS_H
#define QVL_CTL_SHOWROWS_H

#include <string>
#include <utility>
#include <vector>

class TDeviceBase;
class TRAIDSystem;

namespace ctl {

struct ShowItem {
    std::string Title; // the panel's title, e.g. Physical Device Information
    std::string Kind;  // controller, channel, device
    std::string Id;    // 0x115 for a device, else empty
    std::string Location;
    std::vector<std::pair<std::string, std::string>> Rows; // (label, value) as the panel shows them
};

// WHAT: an identifier (0x115, 115h) or a location (Controller2-Channel3-Device2,
// Controller1-Channel2, Controller1), without regard to case. None when nothing matches.
const TDeviceBase *FindObject(const TRAIDSystem &system, const std::string &what);

// The item's rows as the information panel shows them (the model's property rows).
ShowItem ShowRows(const TDeviceBase &object);
ShowItem SystemRows(const TRAIDSystem &system);

} // namespace ctl

#endif
