#include "CXSession.h"

#include "WaitUntil.h"

#include <QFile>

#include <gtest/gtest.h>

#include <utility>

namespace {
const char* const kScreenGeometry = "1280x1024x24";
const auto kServerStartTimeout = std::chrono::seconds(20);
const int kStartAttempts = 3;

// openbox without a key binding: every key, Alt+Space among them, goes to the focused window. A
// press on a window still brings it forward and gives it the keyboard, as a person expects.
const char* const kKeysToProgramsConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard/>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
)";
} // namespace

CXSession::CXSession(const std::string& artifactDir, WindowMenuKey windowMenuKey)
    : CSession(artifactDir), m_windowMenuKey(windowMenuKey) {
    StartAndRetry();
}

CXSession::CXSession(const std::string& artifactDir, std::vector<std::string> windowManager)
    : CSession(artifactDir), m_windowManagerCommand(std::move(windowManager)) {
    StartAndRetry();
}

// A server that dies while it starts (another one shutting down on the same number, say) is
// simply started again.
void CXSession::StartAndRetry() {
    for (int attempt = 0; attempt < kStartAttempts && !m_ready; ++attempt)
        m_ready = Start();
}

bool CXSession::Start() {
    m_windowManager.reset();
    m_server.reset();
    // Xvfb writes its display number to its standard output once it accepts connections. Its
    // keys repeat no more (-r): on a loaded machine xdotool's release of a key can come most of a
    // second after the press, and the server would have typed the key again by then.
    m_server = std::make_unique<CChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", kScreenGeometry, "-r",
                                 "-nolisten", "tcp"},
        std::vector<std::string>{});
    const std::string number = m_server->ReadLine(kServerStartTimeout);
    if (number.empty()) {
        m_failure = m_server->Describe();
        return false;
    }
    m_display = ":" + number;
    m_windowManager = std::make_unique<CChildProcess>(WindowManagerCommand(),
                                                      std::vector<std::string>{DisplayVariable()});
    // The window manager is ready once it has claimed the root window's supporting-check atom.
    Result check;
    const bool ready = WaitUntil(
        [&] {
            check = Run("xprop -root _NET_SUPPORTING_WM_CHECK");
            return m_windowManager->Running() &&
                   check.output.find("window id") != std::string::npos;
        },
        kServerStartTimeout);
    if (!ready)
        m_failure = m_windowManager->Describe() + "; " + check.Describe();
    return ready;
}

std::vector<std::string> CXSession::WindowManagerCommand() {
    if (!m_windowManagerCommand.empty())
        return m_windowManagerCommand;
    if (m_windowMenuKey == WindowMenuKey::Manager)
        return {"openbox"};
    const std::string path = m_configDir.filePath("rc.xml").toStdString();
    QFile config(QString::fromStdString(path));
    if (!config.open(QIODevice::WriteOnly) || config.write(kKeysToProgramsConfig) < 0)
        ADD_FAILURE() << "cannot write openbox's configuration to " << path;
    return {"openbox", "--config-file", path};
}

CXSession::~CXSession() {
    m_windowManager.reset();
    m_server.reset();
}

CXSession::Result CXSession::Run(const std::string& command) const {
    Result result = CChildProcess::Run({"sh", "-c", command}, {DisplayVariable()});
    result.command = command;
    return result;
}

std::string CXSession::WaitForWindow(const std::string& title, std::chrono::seconds timeout) const {
    std::string id;
    WaitUntil(
        [&] {
            const Result r = Run("xdotool search --onlyvisible --name '^" + title + "$'");
            id = r.status == 0 ? r.output.substr(0, r.output.find('\n')) : "";
            return !id.empty();
        },
        timeout);
    return id;
}

std::string CXSession::DescribeWindows(const std::string& title, qint64 programPid) const {
    const std::string windows =
        "for w in $(xdotool search --name '^" + title +
        "$'); do echo \"window $w:\"; xwininfo -id $w | grep -E 'Map State|geometry';"
        " xwininfo -id $w -tree | grep -E 'Parent window';"
        " xprop -id $w WM_STATE _NET_WM_STATE WM_HINTS _NET_WM_WINDOW_TYPE; done;"
        " echo 'openbox manages:'; xprop -root _NET_CLIENT_LIST _NET_ACTIVE_WINDOW;"
        " echo 'top-level windows:'; xwininfo -root -children | grep -E '^ +0x'";
    const std::string stacks = "gdb -q -batch -p " + std::to_string(programPid) +
                               " -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)'";
    return "\n" + Run(windows).output + "openbox: " + m_windowManager->Describe() +
           "\nthe program's threads:\n" + Run(stacks).output;
}

QImage CXSession::Screenshot(const std::string& window, const std::string& name) const {
    const std::string path = m_artifactDir + "/" + name + ".png";
    const Result result = Run("import -window " + window + " " + path);
    if (!result.Succeeded()) {
        ADD_FAILURE() << result.Describe();
        return {};
    }
    return QImage(QString::fromStdString(path));
}

bool CXSession::WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    return ::WaitUntil(cond, timeout);
}
