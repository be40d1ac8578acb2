// Shared helpers of the model tests: scenarios for the simulated driver and its call record.
#ifndef QVL_MODEL_TEST_H
#define QVL_MODEL_TEST_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pictures.h"
#include "simControl.h"
#include "support/simSystem.h"

// One plain colour per kind: the model's handling of pictures without the image lists.
struct TPlainPictures : TPictureComposer {
    qvl::Bitmap ControllerPicture() const override { return qvl::CreatePicture(24, 24, RGB(1, 0, 0)); }
    qvl::Bitmap ChannelPicture() const override { return qvl::CreatePicture(24, 24, RGB(2, 0, 0)); }
    qvl::Bitmap SystemPicture() const override { return qvl::CreatePicture(24, 24, RGB(3, 0, 0)); }
    qvl::Bitmap DevicePicture(int index, int statusClass) const override
    {
        return qvl::CreatePicture(24, 24, RGB(4, index, statusClass));
    }
};
inline const TPlainPictures PlainPictures;

// Replaces the simulated system, with no failure injected and an empty call record.
inline void LoadScenario(const std::string &text)
{
    qvltest::LoadScenario(text);
    qvlsim_inject_clear();
    qvlsim_clear_calls();
}

// The driver calls since the last clear, as "name(arg,...)" with the numeric arguments only.
inline std::vector<std::string> DriverCalls()
{
    std::vector<std::string> out;
    for (const QvlSimCall &c : qvltest::DriverCalls()) {
        // Arguments before the record pointer.
        unsigned numeric = 0;
        switch (c.operation) {
        case QVLSIM_OP_GET_CONTROLLER_INFO:
            numeric = 1;
            break;
        case QVLSIM_OP_GET_CHANNEL_INFO:
            numeric = 2;
            break;
        case QVLSIM_OP_GET_DEVICE_INFO:
            numeric = 1;
            break;
        case QVLSIM_OP_SET_DEVICE_INFO:
            numeric = 1;
            break;
        case QVLSIM_OP_QUERY_REMOVE:
        case QVLSIM_OP_REMOVE_DEVICES:
            numeric = 1;
            break;
        default:
            break;
        }
        std::string s = qvlsim_operation_name(c.operation);
        s += '(';
        for (unsigned i = 0; i < numeric && i < c.argc; ++i) {
            char buf[16];
            snprintf(buf, sizeof buf, i ? ",%X" : "%X", static_cast<unsigned>(c.args[i]));
            s += buf;
        }
        out.push_back(s + ')');
    }
    return out;
}

inline int CountCalls(const std::vector<std::string> &calls, const std::string &prefix)
{
    int n = 0;
    for (const auto &c : calls)
        n += c.rfind(prefix, 0) == 0;
    return n;
}

#endif
