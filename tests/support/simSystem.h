// Test helpers around the simulated driver: load a scenario, read back the driver calls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simControl.h"

namespace qvltest {

// Replaces the simulated system; fails the test with the simulator's reason when refused.
inline void LoadScenario(const std::string &text)
{
    char error[256] = "";
    ASSERT_EQ(qvlsim_load_text(text.c_str(), "test", error, sizeof error), 0) << error;
}

inline std::vector<QvlSimCall> DriverCalls()
{
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    int32_t n = qvlsim_calls(calls.data(), static_cast<uint32_t>(calls.size()));
    calls.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return calls;
}

inline uint32_t Raw(const void *p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

} // namespace qvltest
