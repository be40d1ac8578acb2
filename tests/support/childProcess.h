// Child processes for the tests: the helper programs built beside the test program, started and
// awaited, or run to their end with what they printed.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

namespace qvltest {

// Owns a kernel handle (a pipe end, a process, a thread, a file); null or invalid means none.
class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE get() const { return h_; }
    HANDLE *put() { return &h_; }
    void reset()
    {
        if (h_ && h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_; // owned
};

// This program's folder, with its trailing backslash: the helper programs are built there too.
inline std::string ProgramDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

// The command line of the program `name` beside this one, with these arguments.
inline std::string CommandBeside(const std::string &name, const std::string &arguments)
{
    // Appended piece by piece: gcc 12 warns wrongly (-Wrestrict) about "..." + a temporary.
    std::string command = "\"";
    command += ProgramDir();
    command += name;
    command += "\" ";
    command += arguments;
    return command;
}

// Starts a program; the caller waits for it with Finish.
inline bool Start(std::string command, PROCESS_INFORMATION &pi)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

// Waits for a started program and closes its handles; its exit code, or 0xDEAD when it did not
// end within two minutes.
inline DWORD Finish(PROCESS_INFORMATION &pi)
{
    DWORD code = 0xDEAD;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Starts a program and waits for it: its exit code, or 0xDEAD when it did not start or end.
inline DWORD RunToEnd(const std::string &command)
{
    PROCESS_INFORMATION pi{};
    return Start(command, pi) ? Finish(pi) : 0xDEAD;
}

// What a program run to its end printed, and its exit code (0xFFFFFFFF when it did not start,
// 0xDEAD when it did not end).
struct Child {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Everything left in a pipe, without carriage returns: the child writes in text mode, so its
// lines compare without them.
inline std::string Drain(HANDLE pipe)
{
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0)
        text.append(buf, got);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// Runs the program `name` beside this one with these arguments, its standard output and error
// read through pipes; it inherits this process's environment and standard input.
inline Child RunBeside(const std::string &name, const std::string &arguments)
{
    Child result;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    Handle outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(outRead.put(), outWrite.put(), &sa, 0) || !CreatePipe(errRead.put(), errWrite.put(), &sa, 0))
        return result;
    SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite.get();
    si.hStdError = errWrite.get();
    std::string exe = ProgramDir() + name;
    std::string line = CommandBeside(name, arguments);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return result;
    // Our copies of the write ends must go, or the reads never see the end.
    outWrite.reset();
    errWrite.reset();
    result.out = Drain(outRead.get());
    result.err = Drain(errRead.get());
    result.exitCode = Finish(pi);
    return result;
}

} // namespace qvltest
