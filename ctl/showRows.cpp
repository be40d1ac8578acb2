#include "showRows.h"

#include <cstdlib>
#include <cstring>

#include "properties.h"
#include "snapshot.h"
#include "systemUnit.h"

namespace ctl {

namespace {

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// "0x115" or "115h": a hexadecimal identifier.
bool ParseId(const std::string &w, DeviceId &id)
{
    std::string digits;
    if (w.size() > 2 && w.compare(0, 2, "0x") == 0)
        digits = w.substr(2);
    else if (w.size() > 1 && w.back() == 'h')
        digits = w.substr(0, w.size() - 1);
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    id = static_cast<DeviceId>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

// "controller2-channel3-device2" and its shorter forms; numbers count from 1.
int ParseLocation(const std::string &w, int numbers[3])
{
    static const char *const words[3] = {"controller", "channel", "device"};
    size_t at = 0;
    int n = 0;
    for (; n < 3; ++n) {
        if (n && (at >= w.size() || w[at++] != '-'))
            return 0;
        const size_t len = std::strlen(words[n]);
        if (w.compare(at, len, words[n]) != 0)
            return 0;
        at += len;
        const size_t end = w.find_first_not_of("0123456789", at);
        const std::string digits = w.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (digits.empty() || digits.size() > 4)
            return 0;
        numbers[n] = std::atoi(digits.c_str());
        at += digits.size();
        if (at == w.size())
            return n + 1;
    }
    return 0;
}

} // namespace

const TDeviceBase *FindObject(const TRAIDSystem &system, const std::string &what)
{
    const std::string w = Lower(what);
    DeviceId id = 0;
    if (ParseId(w, id))
        return IsValidId(id) ? system.FindDevice(id) : nullptr;
    int numbers[3] = {};
    const int depth = ParseLocation(w, numbers);
    for (int p = 0; depth && p < system.ControllerCount(); ++p) {
        const TController *controller = system.Controllers[p];
        if (static_cast<int>(controller->Id) + 1 != numbers[0])
            continue;
        if (depth == 1)
            return controller;
        for (int j = 0; j < controller->ChildCount(); ++j) {
            const TChannel *channel = controller->Child(j);
            if (channel->ChannelIndex + 1 != numbers[1])
                continue;
            if (depth == 2)
                return channel;
            for (int k = 0; k < channel->ChildCount(); ++k)
                if (channel->Child(k)->Info.Position + 1 == numbers[2])
                    return channel->Child(k);
        }
    }
    return nullptr;
}

namespace {

void TakeRows(const Properties &p, ShowItem &item)
{
    item.Title = p.Title;
    for (const PropertyRow &row : p.Rows)
        item.Rows.emplace_back(row.Label, row.Value);
}

} // namespace

ShowItem ShowRows(const TDeviceBase &object)
{
    ShowItem item;
    TakeRows(ObjectProperties(object), item);
    if (object.Kind == KindController) {
        item.Kind = "controller";
        item.Location = "Controller" + std::to_string(object.Id + 1);
    } else if (object.Kind == KindChannel) {
        const auto &h = static_cast<const TChannel &>(object);
        item.Kind = "channel";
        item.Location = "Controller" + std::to_string((h.Parent ? h.Parent->Id : 0) + 1) + "-Channel" +
                        std::to_string(h.ChannelIndex + 1);
    } else {
        const auto &d = static_cast<const TDevice &>(object);
        item.Kind = "device";
        item.Id = IdText(d.Id);
        item.Location = DiskLocation(d.Info);
    }
    return item;
}

ShowItem SystemRows(const TRAIDSystem &system)
{
    ShowItem item;
    TakeRows(SystemProperties(system), item);
    item.Kind = "system";
    return item;
}

} // namespace ctl
