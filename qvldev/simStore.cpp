#include "simStore.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "owned.h"
#include "scenario.h"

namespace qvlsim {
namespace {

std::string environment(const char *name)
{
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return {};
    return std::string(buf, n);
}

class Store {
public:
    static Store &get()
    {
        static Store store;
        return store;
    }

    HANDLE mutex() const { return mutex_.get(); }
    SimState *state() const { return state_; }

private:
    Store()
    {
        std::string instance = environment("QVLDEV_INSTANCE");
        if (instance.empty())
            instance = "default";
        if (!validInstanceName(instance)) {
            // Never fall back to another instance's state: run on a private empty system.
            privateState(("QVLDEV_INSTANCE '" + instance.substr(0, 64) + "' is not a valid instance name").c_str());
            return;
        }
        std::string base = "qvldev-" + instance;
        mutex_.reset(CreateMutexA(nullptr, FALSE, (base + "-lock").c_str()));
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(sizeof temp, temp);
        std::string path = (n > 0 && n < sizeof temp ? std::string(temp, n) : std::string()) + base + ".state";
        file_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (mutex_ && file_) {
            mapping_.reset(CreateFileMappingA(file_.get(), nullptr, PAGE_READWRITE, 0, sizeof(SimState),
                                              (base + "-state").c_str()));
            if (mapping_)
                view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SimState)));
            state_ = static_cast<SimState *>(view_.get());
        }
        if (!state_)
            privateState(("cannot map the state file " + path).c_str());
    }

    void privateState(const char *reason)
    {
        if (!mutex_)
            mutex_.reset(CreateMutexA(nullptr, FALSE, nullptr));
        own_ = std::make_unique<SimState>();
        state_ = own_.get();
        initEmpty(*state_);
        lstrcpynA(state_->error, reason, sizeof state_->error);
    }

    struct ViewTraits {
        static void Close(void *view) { UnmapViewOfFile(view); }
    };
    // Closed in the reverse order: the view, the mapping, the file, the mutex.
    qvl::Handle mutex_;
    qvl::FileHandle file_;
    qvl::Handle mapping_;
    qvl::Owned<void *, ViewTraits> view_;
    SimState *state_ = nullptr; // view_, or own_
    std::unique_ptr<SimState> own_;
};

} // namespace

bool readWholeFile(const char *path, std::string &text, std::string &error)
{
    qvl::FileHandle h(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        error = std::string(path) + ": cannot open (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    text.clear();
    char buf[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h.get(), buf, sizeof buf, &got, nullptr) != 0) && got > 0) {
        text.append(buf, got);
        if (text.size() > (16u << 20)) {
            ok = false;
            break;
        }
    }
    h.reset();
    if (!ok) {
        error = std::string(path) + ": cannot read";
        return false;
    }
    // The parser takes C strings: a NUL byte would end the file there without a word.
    if (size_t nul = text.find('\0'); nul != std::string::npos) {
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n') + 1;
        error = std::string(path) + ":" + std::to_string(line) + ": NUL byte in a scenario file";
        return false;
    }
    return true;
}

namespace {

// Makes a system from QVLDEV_SCENARIO, or the demo when it is unset or empty. A refused
// scenario leaves an empty system with the reason in s.error.
void createFromEnvironment(SimState &s)
{
    auto scratch = std::make_unique<SimState>();
    std::string path = environment("QVLDEV_SCENARIO");
    std::string error;
    if (path.empty()) {
        parseScenario(kDemoScenario, "demo", *scratch, error);
    } else {
        std::string text;
        if (!readWholeFile(path.c_str(), text, error) || !parseScenario(text, path.c_str(), *scratch, error)) {
            initEmpty(*scratch);
            std::string reason = "QVLDEV_SCENARIO refused: " + error;
            lstrcpynA(scratch->error, reason.c_str(), sizeof scratch->error);
        }
    }
    s = *scratch;
}

} // namespace

StateLock::StateLock()
{
    Store &store = Store::get();
    state_ = store.state();
    // An owner that died inside leaves the mutex abandoned; the state is still whole enough.
    DWORD w = WaitForSingleObject(store.mutex(), INFINITE);
    locked_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
    // The state file can be written by anyone: every count and index is checked before any
    // operation uses it. A state that fails is made afresh, with the reason kept for show.
    char why[160];
    if (!stateValid(*state_, why, sizeof why)) {
        const bool stored = headerValid(*state_);
        createFromEnvironment(*state_);
        if (stored)
            std::snprintf(state_->recovered, sizeof state_->recovered,
                          "the stored state was invalid (%s) and was made afresh", why);
    }
}

StateLock::~StateLock()
{
    if (locked_)
        ReleaseMutex(Store::get().mutex());
}

} // namespace qvlsim
