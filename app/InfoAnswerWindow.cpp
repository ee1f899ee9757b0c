#include "app/InfoOptions.h"

#include <windows.h>

#include <iostream>

namespace {

constexpr char kTitle[] = "Ondeline";

// A window program's standard output reaches somewhere only when its starter redirected it, to a
// file or a pipe; started from a console, it has none, and from the desktop nothing to print on.
bool HasStandardOutput() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return output != nullptr && output != INVALID_HANDLE_VALUE &&
           ::GetFileType(output) != FILE_TYPE_UNKNOWN;
}

// The console the program was typed into, if any. Its prompt is already back, so the answer
// starts on a line of its own, and Windows' consoles want CR LF line ends.
bool WriteToParentConsole(const std::string& answer) {
    if (::AttachConsole(ATTACH_PARENT_PROCESS) == FALSE) {
        return false;
    }
    const HANDLE console =
        ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        ::FreeConsole();
        return false;
    }
    std::string text = "\r\n";
    for (const char c : answer) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    DWORD written = 0;
    const BOOL wrote =
        ::WriteFile(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(console);
    ::FreeConsole();
    return wrote != FALSE && written == text.size();
}

} // namespace

// Answered where a Windows user looks: the redirected output, the console the command was typed
// into, or else a message box.
int ShowInfoAnswer(const std::string& answer) {
    if (HasStandardOutput()) {
        return WriteInfoAnswer(answer, std::cout);
    }
    if (WriteToParentConsole(answer)) {
        return 0;
    }
    ::MessageBoxA(nullptr, answer.c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
}
