// The property rows of the system and of each device object, as the information panel and the
// command line both show them: a title and (label, value) rows in their order. A property
// without a value has no row.
#ifndef QVL_PROPERTIES_H
#define QVL_PROPERTIES_H

#include <cstdint>
#include <string>
#include <vector>

#include "qvlrecords.h"

class TDeviceBase;
class TRAIDSystem;

struct PropertyRow {
    std::string Label;
    std::string Value;
};

struct Properties {
    std::string Title;
    std::vector<PropertyRow> Rows;
    // Index of the rack's temperature row, the fan row follows it; -1 when the disk is not in
    // a rack. These two rows change while the object is shown.
    int RackRow = -1;
};

// Every label the rows use, by panel.
constexpr int PropertyCount = 39;
extern const char *const PropertyLabels[PropertyCount];

Properties SystemProperties(const TRAIDSystem &system);
// A controller, channel or physical device (live or a copy); the rack of a disk in one is
// read from the driver. No title and no rows for any other kind.
Properties ObjectProperties(const TDeviceBase &object);

// The rack rows of a disk: "N/A" unless the rack was read and the sensor is believable.
std::string TemperatureText(double degrees);
std::string FanText(uint16_t fanWord);
void RackTexts(bool readOk, const BayInfo &bay, std::string &temperature, std::string &fan);

#endif
