// Scenario files: the text form of a simulated system (grammar at the top of scenario.cpp).
#pragma once

#include <string>
#include <string_view>

#include "simState.h"

namespace qvlsim {

// Parses a whole scenario into out (which it first makes empty). On refusal returns false with
// error "SOURCE:LINE: reason"; out then holds part of a system, so parse into a scratch state.
bool parseScenario(std::string_view text, const char *source, SimState &out, std::string &error);

// Adds one plugged disk described by disk words to a live system, marked pending. Nothing
// changes on refusal. id is set to the disk's identifier.
bool plugDisk(std::string_view words, SimState &s, DeviceId &id, std::string &error);

// The system as scenario text; parsing it gives the same system.
std::string printScenario(const SimState &s);

// The built-in demo system.
extern const char kDemoScenario[];

} // namespace qvlsim
