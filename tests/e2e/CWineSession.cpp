#include "CWineSession.h"

#include <cstdlib>
#include <iostream>

namespace {
// Debian's 64-bit Wine loader; the `wine` wrapper would look for a 32-bit Wine first.
const char* const kWine64 = "/usr/lib/wine/wine64";
const auto kPrefixTimeout = std::chrono::seconds(120);
const auto kSettingTimeout = std::chrono::seconds(60);
const int kPrefixAttempts = 2;
// Wine asks to install Mono and Gecko into a new prefix; no test needs either.
const char* const kNoMonoOrGecko = "WINEDLLOVERRIDES=mscoree,mshtml=";

// Wine's own variables choose the Wine: WINELOADER the loader, 64-bit unless it says otherwise,
// and WINEARCH the kind of prefix (win32 for the 32-bit programs, as on 32-bit Windows).
std::string Loader() {
    const char* loader = std::getenv("WINELOADER");
    return loader != nullptr && *loader != '\0' ? loader : kWine64;
}

std::string Arch() {
    const char* arch = std::getenv("WINEARCH");
    return arch != nullptr && *arch != '\0' ? arch : "win64";
}
} // namespace

CWineSession::CWineSession(const CXSession& x, int logPixels) : m_x(x), m_nLogPixels(logPixels) {
    m_ready = MakePrefix();
}

CWineSession::~CWineSession() {
    if (m_prefix.isValid()) {
        CChildProcess::Run({"wineserver", "-k"}, Environment());
        WaitForServer();
    }
}

std::vector<std::string> CWineSession::Environment() const {
    return {m_x.DisplayVariable(),    "WINEPREFIX=" + m_prefix.path().toStdString(),
            "WINELOADER=" + Loader(), "WINEARCH=" + Arch(),
            "WINEDEBUG=-all,err+all", kNoMonoOrGecko,
            "WAYLAND_DISPLAY="};
}

// Making a prefix takes Wine seconds; copying one takes the disk a fraction of that. So the first
// session of a test program makes one that no program runs in, and every session starts from a
// copy of it. Empty when it could not be made.
//
// Wine's first start in a new prefix now and then ends at once with "could not load kernel32.dll"
// on a loaded machine: once in a hundred test programs, before any program of ours had run, and
// never in fifty boots on their own. So a prefix that could not be made is made once more, in a new
// folder, and the first failure is told on the error stream rather than hidden.
std::string CWineSession::FreshPrefixTemplate(std::string& failure) {
    static std::unique_ptr<QTemporaryDir> folder;
    static const bool made = [&] {
        for (int attempt = 1; attempt <= kPrefixAttempts; ++attempt) {
            folder = std::make_unique<QTemporaryDir>();
            const std::vector<std::string> env{"WINEPREFIX=" + folder->path().toStdString(),
                                               "WINELOADER=" + Loader(),
                                               "WINEARCH=" + Arch(),
                                               "WINEDEBUG=-all",
                                               kNoMonoOrGecko,
                                               "DISPLAY="};
            const CChildProcess::Result boot =
                CChildProcess::Run({Loader(), "wineboot", "-i"}, env, kPrefixTimeout);
            failure = boot.Describe();
            if (folder->isValid() && boot.Succeeded() &&
                CChildProcess::Run({"wineserver", "-w"}, env, kSettingTimeout).Succeeded()) {
                return true;
            }
            std::cerr << "making a Wine prefix, attempt " << attempt << ": " << failure << '\n';
            CChildProcess::Run({"wineserver", "-k"}, env, kSettingTimeout);
            CChildProcess::Run({"wineserver", "-w"}, env, kSettingTimeout);
        }
        return false;
    }();
    return made ? folder->path().toStdString() : std::string();
}

// A copy of a new prefix, then the screen scale in the user's desktop settings, where Wine reads it
// when a program starts; the server writes the registry out when it ends, so that is waited for.
bool CWineSession::MakePrefix() {
    if (!m_x.Ready() || !m_prefix.isValid()) {
        m_failure = "no X session or no temporary folder for the prefix";
        return false;
    }
    std::string why;
    const std::string fresh = FreshPrefixTemplate(why);
    if (fresh.empty()) {
        m_failure = "cannot make a Wine prefix: " + why;
        return false;
    }
    const CChildProcess::Result copied = CChildProcess::Run(
        {"cp", "-a", fresh + "/.", m_prefix.path().toStdString()}, {}, kPrefixTimeout);
    if (!copied.Succeeded()) {
        m_failure = "cannot copy a new Wine prefix: " + copied.Describe();
        return false;
    }
    const CChildProcess::Result set =
        Wine({"reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
              "/d", std::to_string(m_nLogPixels), "/f"},
             kSettingTimeout);
    if (!set.Succeeded() || !WaitForServer()) {
        m_failure = "cannot set LogPixels: " + set.Describe();
        return false;
    }
    return true;
}

CChildProcess::Result CWineSession::Wine(const std::vector<std::string>& args,
                                         std::chrono::milliseconds timeout,
                                         const std::vector<std::string>& extraEnvironment) const {
    std::vector<std::string> argv{Loader()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment = Environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return CChildProcess::Run(argv, environment, timeout);
}

bool CWineSession::WaitForServer() const {
    return CChildProcess::Run({"wineserver", "-w"}, Environment(), kSettingTimeout).Succeeded();
}

std::unique_ptr<CChildProcess> CWineSession::Start(const std::string& program,
                                                   const std::vector<std::string>& args) const {
    std::vector<std::string> argv{Loader(), program};
    argv.insert(argv.end(), args.begin(), args.end());
    return std::make_unique<CChildProcess>(argv, Environment());
}

CChildProcess::Result CWineSession::Run(const std::string& program,
                                        const std::vector<std::string>& args,
                                        std::chrono::milliseconds timeout) const {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    return Wine(all, timeout);
}

CChildProcess::Result CWineSession::RunWithoutDisplay(const std::string& program,
                                                      std::chrono::milliseconds timeout) const {
    return Wine({program}, timeout, {"DISPLAY="});
}
