#include "showRows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

ShowItem ShowRows(const TDeviceBase &object)
{
    ShowItem item;
    // The panel leaves out a property whose text is empty.
    auto add = [&](const char *label, const std::string &value) {
        if (!value.empty())
            item.Rows.emplace_back(label, value);
    };
    if (object.Kind == KindController) {
        const auto &c = static_cast<const TController &>(object);
        item.Title = "Controller Information";
        item.Kind = "controller";
        item.Location = "Controller" + std::to_string(c.Id + 1);
        add("Name", c.Info.Name);
        add("Product", c.Info.Product);
        add("Manufacturer", c.Info.Manufacturer);
        add("Bus Number", c.Info.ChannelCountStr);
        add("Interrupt Level", c.Info.InterruptStr);
    } else if (object.Kind == KindChannel) {
        const auto &h = static_cast<const TChannel &>(object);
        item.Title = "Channel Information";
        item.Kind = "channel";
        const auto *controller = static_cast<const TController *>(h.Parent);
        item.Location = "Controller" + std::to_string((controller ? controller->Id : 0) + 1) + "-Channel" +
                        std::to_string(h.ChannelIndex + 1);
        add("Name", h.Info.Name);
        add("IO Port", h.Info.IoPortStr);
        add("Control Port", h.Info.ControlPortStr);
    } else {
        const auto &d = static_cast<const TDevice &>(object);
        item.Title = "Physical Device Information";
        item.Kind = "device";
        item.Id = IdText(d.Id);
        item.Location = DiskLocation(d.Info);
        add("Model", d.Info.ModelStr);
        add("Type", d.Info.TypeStr);
        add("Location", d.Info.LocationStr);
        add("Manufacturer", d.Info.ManufacturerStr);
        add("Revision", d.Info.RevisionStr);
        add("Capacity", d.Info.CapacityStr);
        add("Status", d.Info.StatusStr);
        add("Array Name", d.Info.ArrayName);
        add("Transfer Mode", d.Info.TransferModeStr);
        if (d.InRack) {
            BayInfo bay{};
            std::string temperature = "N/A", fan = "N/A";
            if (TDevice::ReadBayInfo(d.Handle, d.Id, bay)) {
                const double degrees = TDevice::BayTemperature(bay);
                char text[32];
                std::snprintf(text, sizeof text, "%.1f", degrees);
                temperature = degrees > 10.0 && degrees < 80.0 ? text : "N/A";
                fan = bay.fanStatus == 0 ? "Running" : "Stopped";
            }
            add("Temperature", temperature);
            add("Fan Status", fan);
        }
    }
    return item;
}

} // namespace ctl
