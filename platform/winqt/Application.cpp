#include "platform/winqt/Application.h"

#include "res/DesktopEntry.h"
#include "res/StringTable.h"

#include <QApplication>

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kCannotStartStatus = 1; // exit status when there is no display to show on

const char* const kNoDisplayMessage =
    "ondeline: there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY "
    "is set); start it from a desktop session, or draw the water to a picture with "
    "ondeline-render.\n";
const char* const kUnreachableDisplayMessage =
    "ondeline: the display could not be reached, so the window cannot open; check DISPLAY or "
    "WAYLAND_DISPLAY, or draw the water to a picture with ondeline-render.\n";

// The one module there is: the program. Its handle only has to be distinct from null.
struct ProgramModule {};
ProgramModule g_program;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt picks its platform from these; with none of them set it would fail with its own long
// message about plugins, which tells a person nothing about what to do.
bool HasSomewhereToShow() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

// Qt ends the process with an abort when it cannot start, for instance when the display named
// cannot be reached; this passes its warnings on and turns the end into one plain sentence and
// a failure status.
void StartUpMessageHandler(QtMsgType type, const QMessageLogContext& /*context*/,
                           const QString& text) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    std::fputs(kUnreachableDisplayMessage, stderr);
    std::fflush(stderr);
    std::_Exit(kCannotStartStatus);
}

} // namespace

void StartWindowSystem() {
    // A Wayland compositor matches the window with the desktop entry, and so with its icon, by
    // this name; Qt would otherwise offer the executable's name, which no entry is filed under.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (!HasSomewhereToShow()) {
        std::fputs(kNoDisplayMessage, stderr);
        std::exit(kCannotStartStatus);
    }
    // Qt keeps the arguments it is given for the application's life. The program's own name is
    // the only one it needs: Ondeline takes no options of Qt's.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    const QtMessageHandler previous = qInstallMessageHandler(StartUpMessageHandler);
    // Ended with the process's other statics, after every window has gone.
    static std::unique_ptr<QApplication> application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    return lpModuleName == nullptr ? reinterpret_cast<HMODULE>(&g_program) : nullptr;
}

int LoadStringA(HINSTANCE /*hInstance*/, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    const char* text = FindString(uID);
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        return 0;
    }
    const std::size_t length =
        text == nullptr ? 0
                        : std::min(std::strlen(text), static_cast<std::size_t>(cchBufferMax - 1));
    std::memcpy(lpBuffer, text == nullptr ? "" : text, length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
