// The description of the operating system, run once per Windows version that Wine can report
// (the program is copied under one name per version; Wine applies the version set for that
// name). The expected texts follow from what Wine reports for each version.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "qvlclient.h"
#include "support/importPatch.h"

namespace {

std::string VersionName()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name(path);
    name = name.substr(name.find_last_of('\\') + 1);
    size_t us = name.find('_'), dot = name.rfind('.');
    return us == std::string::npos ? std::string() : name.substr(us + 1, dot - us - 1);
}

struct Expected {
    const char *version;
    const char *name;  // text at byte 8
    const char *build; // text at byte 136, or null when it must stay untouched
};

const Expected kExpected[] = {
    {"win95", "Microsoft Windows 95 ", nullptr},
    {"win98", "Microsoft Windows 98 SE ", nullptr},
    {"winme", "Microsoft Windows Me", nullptr},
    {"nt40", "Microsoft Windows NT Professional", "version 4.0 Service Pack 6a (Build 1381)\n"},
    {"win2k", "Microsoft Windows 2000 Professional", "Service Pack 4 (Build 2195)\n"},
    {"winxp", "Microsoft Windows XP Professional", "Service Pack 3 (Build 2600)\n"},
    {"win2003", "Server ", "Service Pack 2 (Build 3790)\n"},
    {"win7", "Server ", "Service Pack 1 (Build 7601)\n"},
};

const Expected *ForThisVersion()
{
    for (const Expected &e : kExpected)
        if (VersionName() == e.version)
            return &e;
    return nullptr;
}

using Record = std::array<uint8_t, sizeof(ServerInfo)>;

Record Patterned()
{
    Record r;
    r.fill(0xAA);
    return r;
}

// Checks a zero-terminated text at `offset` and that everything else is still the pattern.
void ExpectOnly(const Record &r, size_t offset, const char *text, size_t offset2, const char *text2)
{
    size_t end1 = text ? offset + std::strlen(text) + 1 : offset;
    size_t end2 = text2 ? offset2 + std::strlen(text2) + 1 : offset2;
    if (text) {
        EXPECT_STREQ(reinterpret_cast<const char *>(&r[offset]), text);
    }
    if (text2) {
        EXPECT_STREQ(reinterpret_cast<const char *>(&r[offset2]), text2);
    }
    for (size_t i = 0; i < r.size(); ++i) {
        bool written = (i >= offset && i < end1) || (i >= offset2 && i < end2);
        if (!written) {
            ASSERT_EQ(r[i], 0xAA) << "byte " << i << " must stay as the caller passed it";
        }
    }
}

TEST(ServerInfo, DescribesTheReportedWindowsVersion)
{
    const Expected *e = ForThisVersion();
    if (!e)
        GTEST_SKIP() << "run under a version name, e.g. serverinfo_winxp.exe";
    Record r = Patterned();
    ASSERT_EQ(cs_qvl_get_server_info(0, reinterpret_cast<ServerInfo *>(r.data())), 0);
    ExpectOnly(r, 8, e->name, 136, e->build);
}

// The basic-record path: make GetVersionExA refuse the extended record inside the library by
// patching its import, as old NT 4.0 service packs did.
BOOL WINAPI BasicOnly(OSVERSIONINFOA *os)
{
    if (os->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return GetVersionExA(os);
}
BOOL WINAPI NeverAnswers(OSVERSIONINFOA *)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

class ProductType {
public:
    explicit ProductType(const char *value)
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        hadValue_ = RegQueryValueExA(key_, "ProductType", nullptr, nullptr, reinterpret_cast<BYTE *>(saved_), &size) ==
                    ERROR_SUCCESS;
        if (value)
            RegSetValueExA(key_, "ProductType", 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                           static_cast<DWORD>(std::strlen(value) + 1));
        else
            RegDeleteValueA(key_, "ProductType");
    }
    ~ProductType()
    {
        if (hadValue_)
            RegSetValueExA(key_, "ProductType", 0, REG_SZ, reinterpret_cast<const BYTE *>(saved_),
                           static_cast<DWORD>(std::strlen(saved_) + 1));
        else
            RegDeleteValueA(key_, "ProductType");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    char saved_[80] = "";
    bool hadValue_ = false;
};

TEST(ServerInfo, BasicRecordTakesTheEditionFromTheRegistry)
{
    const std::string v = VersionName();
    if (v != "nt40" && v != "winxp")
        GTEST_SKIP() << "the registry edition applies to the NT family; run as nt40 or winxp";
    qvltest::ImportPatch patch("qvlclient.dll", "kernel32.dll", "GetVersionExA", reinterpret_cast<void *>(BasicOnly));
    ASSERT_TRUE(patch.ok());
    const char *name = v == "nt40" ? "Microsoft Windows NT " : "Microsoft Windows XP ";
    const struct {
        const char *value;
        const char *edition;
    } cases[] = {
        {"WinNT", "Professional"},       {"winnt", "Professional"}, {"LanmanNT", "Server"},
        {"ServerNT", "Advanced Server"}, {"Unknown", ""},           {nullptr, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(no value)");
        ProductType type(c.value);
        Record r = Patterned();
        ASSERT_EQ(cs_qvl_get_server_info(0, reinterpret_cast<ServerInfo *>(r.data())), 0);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(&r[8])), std::string(name) + c.edition);
    }
}

TEST(ServerInfo, NoVersionAnswerWritesNothingAndStillSucceeds)
{
    qvltest::ImportPatch patch("qvlclient.dll", "kernel32.dll", "GetVersionExA",
                               reinterpret_cast<void *>(NeverAnswers));
    ASSERT_TRUE(patch.ok());
    Record r = Patterned();
    EXPECT_EQ(cs_qvl_get_server_info(0, reinterpret_cast<ServerInfo *>(r.data())), 0);
    ExpectOnly(r, 8, nullptr, 136, nullptr);
    EXPECT_EQ(cs_qvl_reboot_server(0), -1) << "no version, no restart";
}

int g_exitRequests = 0;
BOOL WINAPI RefusesToRestart(UINT, DWORD)
{
    ++g_exitRequests;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// On every family a refused restart request is a failure (95/98/Me reported success).
TEST(Restart, ARefusedRequestIsReported)
{
    qvltest::ImportPatch patch("qvlclient.dll", "user32.dll", "ExitWindowsEx",
                               reinterpret_cast<void *>(RefusesToRestart));
    ASSERT_TRUE(patch.ok());
    g_exitRequests = 0;
    EXPECT_EQ(cs_qvl_reboot_server(0), -1);
    EXPECT_EQ(g_exitRequests, 1);
}

} // namespace
