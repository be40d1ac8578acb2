#include "properties.h"

#include <cstdio>

#include "systemUnit.h"

const char *const PropertyLabels[PropertyCount] = {
    // physical device
    "Type",
    "Location",
    "Manufacturer",
    "Model",
    "Revision",
    "Capacity",
    "Status",
    "S.M.A.R.T",
    "Transfer Mode",
    "Array Name",
    "Temperature",
    "Fan Status",
    "Beeper",
    "Name",
    // controller
    "Product",
    "Available Cache",
    "Bus Type",
    "Bus Number",
    "Name",
    "Interrupt Level",
    "Manufacturer",
    // channel
    "Max Device",
    "IO Port",
    "Control Port",
    "Name",
    // array
    "Name",
    "Type",
    "Capacity",
    "Status",
    "Progress",
    "Block Size",
    "Create Time",
    "Create Manager",
    "Caching",
    // system
    "Name",
    "Status",
    "Description",
    "System OS",
    "GUI Version",
};

namespace {

// Indexes into PropertyLabels, by panel.
enum : int {
    PType = 0,
    PLocation,
    PManufacturer,
    PModel,
    PRevision,
    PCapacity,
    PStatus,
    PSmart,
    PTransferMode,
    PArrayName,
    PTemperature,
    PFanStatus,
    CProduct = 14,
    CAvailableCache,
    CBusType,
    CBusNumber,
    CName,
    CInterruptLevel,
    CManufacturer,
    HMaxDevice = 21,
    HIoPort,
    HControlPort,
    HName,
    SName = 34,
    SStatus,
    SDescription,
    SSystemOs,
    SGuiVersion,
};

const char *const NotAvailable = "N/A";

void Add(Properties &p, int label, const std::string &value)
{
    if (!value.empty())
        p.Rows.push_back({PropertyLabels[label], value});
}

void ControllerRows(const TController &controller, Properties &p)
{
    const auto &info = controller.Info;
    p.Title = "Controller Information";
    Add(p, CName, info.Name);
    Add(p, CProduct, info.Product);
    Add(p, CManufacturer, info.Manufacturer);
    Add(p, CAvailableCache, "");
    Add(p, CBusType, "");
    Add(p, CBusNumber, info.ChannelCountStr);
    Add(p, CInterruptLevel, info.InterruptStr);
}

void ChannelRows(const TChannel &channel, Properties &p)
{
    const auto &info = channel.Info;
    p.Title = "Channel Information";
    Add(p, HName, info.Name);
    Add(p, HIoPort, info.IoPortStr);
    Add(p, HControlPort, info.ControlPortStr);
    Add(p, HMaxDevice, "");
}

void DeviceRows(const TDevice &device, Properties &p)
{
    const auto &info = device.Info;
    p.Title = "Physical Device Information";
    Add(p, PModel, info.ModelStr);
    Add(p, PType, info.TypeStr);
    Add(p, PLocation, info.LocationStr);
    Add(p, PManufacturer, info.ManufacturerStr);
    Add(p, PRevision, info.RevisionStr);
    Add(p, PCapacity, info.CapacityStr);
    Add(p, PStatus, info.StatusStr);
    Add(p, PArrayName, info.ArrayName);
    Add(p, PSmart, "");
    Add(p, PTransferMode, info.TransferModeStr);
    if (!device.InRack)
        return;
    BayInfo bay{};
    const bool ok = TDevice::ReadBayInfo(device.Handle, device.Id, bay);
    std::string temperature, fan;
    RackTexts(ok, bay, temperature, fan);
    p.RackRow = static_cast<int>(p.Rows.size());
    Add(p, PTemperature, temperature);
    Add(p, PFanStatus, fan);
}

} // namespace

Properties SystemProperties(const TRAIDSystem &system)
{
    Properties p;
    p.Title = "System Information";
    Add(p, SName, system.DisplayName);
    Add(p, SStatus, "");
    Add(p, SDescription, "");
    Add(p, SSystemOs, system.OsText);
    Add(p, SGuiVersion, "");
    return p;
}

Properties ObjectProperties(const TDeviceBase &object)
{
    Properties p;
    switch (object.Kind) {
    case KindDevice:
        DeviceRows(static_cast<const TDevice &>(object), p);
        break;
    case KindChannel:
        ChannelRows(static_cast<const TChannel &>(object), p);
        break;
    case KindController:
        ControllerRows(static_cast<const TController &>(object), p);
        break;
    default:
        break;
    }
    return p;
}

std::string TemperatureText(double degrees)
{
    // Outside these bounds the sensor is taken to be wrong or missing.
    if (!(degrees > 10.0 && degrees < 80.0))
        return NotAvailable;
    char text[32];
    snprintf(text, sizeof text, "%.1f", degrees);
    return text;
}

std::string FanText(uint16_t fanWord) { return fanWord == 0 ? "Running" : "Stopped"; }

void RackTexts(bool readOk, const BayInfo &bay, std::string &temperature, std::string &fan)
{
    temperature = NotAvailable;
    fan = NotAvailable;
    if (!readOk)
        return;
    temperature = TemperatureText(TDevice::BayTemperature(bay));
    fan = FanText(bay.fanStatus);
}
