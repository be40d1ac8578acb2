#include "program.h"

#include <cstring>
#include <memory>

#include "MainUnit.h"
#include "dmPub.h"
#include "owned.h"
#include "qvlclient.h"
#include "shortcuts.h"
#include "timeline.h"

const char *const InstanceMutexName = "qvl_storage_management_software_mutex";

// The console binds the client library by a fixed set of names at load time, so that a library
// lacking any of them stops the console from starting. The list of top-level logical devices
// belongs to that set although no window of this version asks for it.
[[gnu::used]] static const void *const RequiredClientExports[] = {
    reinterpret_cast<const void *>(&cs_qvl_get_logical_devices),
};

bool ShowRunningInstance(const char *programPath)
{
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetPropA(w, programPath)) {
            SendMessageA(w, WM_SHOW_INSTANCE, 0, 0);
            return true;
        }
    }
    return false;
}

void RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TMainForm::AppMessage(msg);
        if (qvl::Shortcuts::Application().Translate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.message == WM_PAINT && qvl::timeline::Enabled() && MainForm && IsWindowVisible(MainForm->hwnd()))
            qvl::timeline::MarkFirstPaint();
    }
}

int RunConsole(const char *firstArgument, PageClass page)
{
    // Held until the console ends: it marks this copy as the running one.
    qvl::Handle mutex(CreateMutexA(nullptr, TRUE, InstanceMutexName));
    if (!mutex)
        return 1;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, sizeof path);
        ShowRunningInstance(path);
        return 0;
    }

    auto main = std::make_unique<TMainForm>();
    qvl::timeline::Mark("main window created");
    auto module = std::make_unique<Tdm>();
    dm = module.get();
    qvl::timeline::Mark("image lists");
    main->PageToCreate = page;
    qvl::Shortcuts::Application().SetWindow(main->hwnd());

    int exitCode = 0;
    const LibraryCheck library = CheckClientLibrary();
    if (library == LibraryCheck::OtherVersion) {
        qvl::ShowMessageBox(main->TopWindowHandle(), "Invalid version.", qvl::BoxKind::Error);
        exitCode = 1;
    } else if (library != LibraryCheck::Usable) {
        exitCode = 1;
    } else {
        main->CreateServerMan();
        qvl::timeline::Mark("enumeration");
        main->ShowOnStart = !(firstArgument && std::strcmp(firstArgument, "RAID") == 0);
        main->Started = true;
        main->StartUp();
        qvl::timeline::Mark("tree");
        if (main->ShowOnStart && !main->Exiting)
            ShowWindow(main->hwnd(), SW_SHOW);
        qvl::timeline::Mark("shown");
        RunMessageLoop();
    }

    if (exitCode != 0)
        main->SetTrayIcon(NIM_DELETE);
    // Exit leaves the server manager to this point, when no handler can still be running.
    main->ServerMan.reset();
    qvl::Shortcuts::Application().SetWindow(nullptr);
    main.reset();
    dm = nullptr;
    return exitCode;
}
