// Shared helpers of the simulated-driver tests: every test starts from the demo system.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qvldev.h"
#include "simControl.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(qvlsim_reset(), 0);
        qvlsim_clear_calls();
    }

    static void load(const std::string &text)
    {
        char error[256] = "";
        ASSERT_EQ(qvlsim_load_text(text.c_str(), "test", error, sizeof error), 0) << error;
    }

    static std::string show()
    {
        int32_t n = qvlsim_show(nullptr, 0);
        std::string text(static_cast<size_t>(n) + 1, '\0');
        EXPECT_EQ(qvlsim_show(text.data(), static_cast<uint32_t>(text.size())), n);
        text.resize(static_cast<size_t>(n));
        return text;
    }

    // The device's record, or an empty vector when the driver has none.
    static std::vector<uint8_t> info(DeviceId id)
    {
        std::vector<uint8_t> buf(QVL_DEVICE_INFO_SIZE);
        if (qvl_get_device_info(id, reinterpret_cast<DeviceInfo *>(buf.data())) != 0)
            return {};
        return buf;
    }

    static DeviceInfo record(DeviceId id)
    {
        DeviceInfo d{};
        EXPECT_EQ(qvl_get_device_info(id, &d), 0) << std::hex << id;
        return d;
    }

    static ChannelRecord channel(uint32_t controller, uint32_t index)
    {
        ChannelRecord r{};
        EXPECT_EQ(qvl_get_channel_info(controller, index, &r), 0);
        return r;
    }

    static std::vector<DeviceId> logical()
    {
        std::vector<DeviceId> list(64);
        int32_t n = qvl_get_logical_devices(list.data(), static_cast<uint32_t>(list.size()));
        list.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return list;
    }

    static std::vector<QvlSimCall> calls()
    {
        std::vector<QvlSimCall> c(QVLSIM_CALL_RECORD);
        c.resize(static_cast<size_t>(qvlsim_calls(c.data(), QVLSIM_CALL_RECORD)));
        return c;
    }
};
