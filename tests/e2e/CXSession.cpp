#include "CXSession.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
const char* const kScreenGeometry = "1280x1024x24";
const auto kServerStartTimeout = std::chrono::seconds(20);
const int kStartAttempts = 3;
const auto kPollInterval = std::chrono::milliseconds(50);

// Reads the display number that Xvfb writes to the pipe once it accepts connections.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n')
        number += c;
    return number;
}
} // namespace

CXSession::CXSession(const std::string& artifactDir) : m_artifactDir(artifactDir) {
    // A server that dies while it starts (another one shutting down on the same number, say)
    // is simply started again.
    for (int attempt = 0; attempt < kStartAttempts && !m_ready; ++attempt)
        m_ready = Start();
}

bool CXSession::Start() {
    m_windowManager.reset();
    m_server.reset();
    std::array<int, 2> pipeFds{};
    if (pipe(pipeFds.data()) != 0)
        return false;
    m_server = std::make_unique<CChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                                 kScreenGeometry, "-nolisten", "tcp"},
        std::vector<std::string>{}, pipeFds[1]);
    close(pipeFds[1]);
    const std::string number = ReadDisplayNumber(pipeFds[0]);
    close(pipeFds[0]);
    if (number.empty())
        return false;
    m_display = ":" + number;
    m_windowManager = std::make_unique<CChildProcess>(std::vector<std::string>{"openbox"},
                                                      std::vector<std::string>{DisplayVariable()});
    // The window manager is ready once it has claimed the root window's supporting-check atom.
    return WaitUntil(
        [this] {
            return m_windowManager->Running() &&
                   Run("xprop -root _NET_SUPPORTING_WM_CHECK").output.find("window id") !=
                       std::string::npos;
        },
        kServerStartTimeout);
}

CXSession::~CXSession() {
    m_windowManager.reset();
    m_server.reset();
}

CXSession::Result CXSession::Run(const std::string& command) const {
    const std::string line = "DISPLAY=" + m_display + " " + command + " 2>/dev/null";
    Result result{-1, {}};
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

QImage CXSession::Screenshot(const std::string& window, const std::string& name) const {
    const std::string path = m_artifactDir + "/" + name + ".png";
    Run("import -window " + window + " " + path);
    return QImage(QString::fromStdString(path));
}

bool CXSession::WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}
