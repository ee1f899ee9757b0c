#include "CWaylandSession.h"

#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// One output of a fixed size, which every scale tried divides into whole logical pixels.
const int kOutputWidth = 1200;
const int kOutputHeight = 900;
const auto kStartTimeout = std::chrono::seconds(20);
// The keyboard stays for longer than any test runs.
const char* const kKeyboardLifetimeMs = "900000";
// The seat's capabilities: a pointer (1) and a keyboard (2).
const int kPointer = 1;
const int kKeyboard = 2;
// sway will not run as root; root starts it as this user instead.
const char* const kCompositorUser = "nobody";

std::string SwayConfig(double scale) {
    return "output HEADLESS-1 mode " + std::to_string(kOutputWidth) + "x" +
           std::to_string(kOutputHeight) + " position 0 0 scale " +
           QString::number(scale).toStdString() +
           "\n"
           "default_border none\n"
           "default_floating_border none\n"
           "xwayland disable\n"
           // The pointer's image would otherwise lie on the water in every screenshot.
           "seat * hide_cursor 100\n"
           // Keys do not repeat: on a loaded machine wtype's release of a key can come later
           // than the delay after which the program would take the key again.
           "input type:keyboard repeat_rate 0\n";
}

bool WriteFile(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

// The first entry of a folder whose name starts so and that is a socket.
std::string FindSocket(const std::string& dir, const QString& prefix) {
    const QDir folder(QString::fromStdString(dir));
    for (const QString& name : folder.entryList(QDir::System | QDir::Files)) {
        struct stat info {};
        const std::string path = folder.filePath(name).toStdString();
        if (name.startsWith(prefix) && stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            return path;
    }
    return {};
}

// Looks through sway's tree of containers for a shown window with this title, and with the
// keyboard if focused.
std::optional<QRect> FindWindow(const QJsonObject& node, const QString& title, bool focused) {
    if (node.value("name").toString() == title && node.value("visible").toBool() &&
        node.contains("app_id") && (!focused || node.value("focused").toBool())) {
        const QJsonObject rect = node.value("rect").toObject();
        const QJsonObject inside = node.value("window_rect").toObject();
        return QRect(rect.value("x").toInt() + inside.value("x").toInt(),
                     rect.value("y").toInt() + inside.value("y").toInt(),
                     inside.value("width").toInt(), inside.value("height").toInt());
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(children).toArray()) {
            if (auto found = FindWindow(child.toObject(), title, focused))
                return found;
        }
    }
    return std::nullopt;
}
} // namespace

CWaylandSession::CWaylandSession(const std::string& artifactDir, double scale, Seat seat)
    : CSession(artifactDir), m_scale(scale), m_seat(seat) {
    m_ready = Start();
}

CWaylandSession::~CWaylandSession() {
    m_pointer.reset();
    m_keyboard.reset();
    m_compositor.reset();
}

bool CWaylandSession::Start() {
    if (!m_dir.isValid()) {
        m_failure = "no temporary folder";
        return false;
    }
    // The compositor's user reads the configuration from here.
    const std::string base = m_dir.path().toStdString();
    chmod(base.c_str(), 0755);
    const std::string config = base + "/sway.config";
    m_runtimeDir = base + "/compositor-runtime";
    m_clientRuntimeDir = base + "/client-runtime";
    if (!WriteFile(config, SwayConfig(m_scale)) || mkdir(m_runtimeDir.c_str(), 0700) != 0 ||
        mkdir(m_clientRuntimeDir.c_str(), 0700) != 0) {
        m_failure = "cannot prepare " + base;
        return false;
    }
    chmod(config.c_str(), 0644);

    std::vector<std::string> argv = {"sway", "--config", config};
    if (geteuid() == 0) {
        const passwd* user = getpwnam(kCompositorUser);
        if (user == nullptr || chown(m_runtimeDir.c_str(), user->pw_uid, user->pw_gid) != 0) {
            m_failure = std::string("cannot hand the runtime folder to ") + kCompositorUser;
            return false;
        }
        argv.insert(argv.begin(), {"setpriv", std::string("--reuid=") + kCompositorUser,
                                   "--regid=" + std::to_string(user->pw_gid), "--clear-groups"});
    }
    m_compositor = std::make_unique<CChildProcess>(
        argv,
        std::vector<std::string>{"XDG_RUNTIME_DIR=" + m_runtimeDir, "HOME=" + base,
                                 "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                 "WLR_LIBINPUT_NO_DEVICES=1", "WAYLAND_DISPLAY=", "DISPLAY="});
    if (!WaitForSockets())
        return false;

    // The keyboard and the pointer are there before the program starts, as a person's are:
    // a device that appears with its first event loses that event to the client's setting up.
    const std::vector<std::string> env = {"WAYLAND_DISPLAY=" + m_display};
    m_keyboard = std::make_unique<CChildProcess>(
        std::vector<std::string>{"wtype", "-s", kKeyboardLifetimeMs}, env);
    int capabilities = kKeyboard;
    if (m_seat == Seat::KeyboardAndPointer) {
        m_pointer =
            std::make_unique<CChildProcess>(std::vector<std::string>{ONDELINE_VPOINTER}, env);
        if (m_pointer->ReadLine(kStartTimeout) != "ready") {
            m_failure = m_pointer->Describe();
            return false;
        }
        capabilities |= kPointer;
    }
    Result seats;
    if (!WaitUntil(
            [&] {
                seats = Run({"swaymsg", "-s", m_ipcSocket, "-r", "-t", "get_seats"});
                const QJsonArray list =
                    QJsonDocument::fromJson(QByteArray::fromStdString(seats.output)).array();
                return !list.isEmpty() &&
                       list.first().toObject().value("capabilities").toInt() == capabilities;
            },
            kStartTimeout)) {
        m_failure = "the seat never had its keyboard and pointer: " + seats.Describe() + "; " +
                    m_keyboard->Describe();
        return false;
    }
    return true;
}

bool CWaylandSession::WaitForSockets() {
    Result outputs;
    const bool ready = WaitUntil(
        [&] {
            if (!m_compositor->Running())
                return false;
            m_display = FindSocket(m_runtimeDir, "wayland-");
            m_ipcSocket = FindSocket(m_runtimeDir, "sway-ipc.");
            if (m_display.empty() || m_ipcSocket.empty())
                return false;
            outputs = Run({"swaymsg", "-s", m_ipcSocket, "-r", "-t", "get_outputs"});
            return outputs.Succeeded();
        },
        kStartTimeout);
    if (!ready)
        m_failure = "sway did not start: " + m_compositor->Describe() + "; " + outputs.Describe();
    return ready;
}

std::vector<std::string> CWaylandSession::ClientEnvironment() const {
    return {"WAYLAND_DISPLAY=" + m_display, "XDG_RUNTIME_DIR=" + m_clientRuntimeDir,
            "QT_QPA_PLATFORM=wayland", "DISPLAY="};
}

CWaylandSession::Result CWaylandSession::Run(const std::vector<std::string>& argv) const {
    return CChildProcess::Run(argv, {"WAYLAND_DISPLAY=" + m_display, "SWAYSOCK=" + m_ipcSocket});
}

CWaylandSession::Result CWaylandSession::Sway(const std::string& command) const {
    return Run({"swaymsg", "-s", m_ipcSocket, command});
}

CWaylandSession::Result CWaylandSession::Type(const std::vector<std::string>& keys) const {
    std::vector<std::string> argv = {"wtype"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    return Run(argv);
}

CWaylandSession::Result CWaylandSession::Click(QPoint devicePixel) const {
    Result result;
    result.command = "click at device pixel " + std::to_string(devicePixel.x()) + ", " +
                     std::to_string(devicePixel.y());
    // The pointer is placed as a fraction of the output; counting in half device pixels puts
    // it on the pixel's centre.
    const std::string line = "click " + std::to_string(2 * devicePixel.x() + 1) + " " +
                             std::to_string(2 * devicePixel.y() + 1) + " " +
                             std::to_string(2 * kOutputWidth) + " " +
                             std::to_string(2 * kOutputHeight) + "\n";
    if (!m_pointer || !m_pointer->Write(line)) {
        result.errors = "vpointer is gone";
        return result;
    }
    const std::string answer = m_pointer->ReadLine(kStartTimeout);
    result.status = answer == "ok" ? 0 : 1;
    if (answer != "ok")
        result.errors = answer.empty() ? m_pointer->Describe() : answer;
    return result;
}

std::optional<QRect> CWaylandSession::WaitForWindow(const std::string& title,
                                                    std::chrono::milliseconds timeout,
                                                    WindowState state) const {
    std::optional<QRect> window;
    WaitUntil(
        [&] {
            const Result tree = Run({"swaymsg", "-s", m_ipcSocket, "-r", "-t", "get_tree"});
            window =
                FindWindow(QJsonDocument::fromJson(QByteArray::fromStdString(tree.output)).object(),
                           QString::fromStdString(title), state == Focused);
            return window && !window->isEmpty();
        },
        timeout);
    return window;
}

QImage CWaylandSession::Screenshot(const QRect& area, const std::string& name) const {
    const std::string path = m_artifactDir + "/" + name + ".png";
    const std::string geometry = std::to_string(area.x()) + "," + std::to_string(area.y()) + " " +
                                 std::to_string(area.width()) + "x" + std::to_string(area.height());
    const Result result = Run({"grim", "-g", geometry, path});
    if (!result.Succeeded()) {
        ADD_FAILURE() << result.Describe();
        return {};
    }
    return QImage(QString::fromStdString(path));
}

void CWaylandSession::KillCompositor() {
    if (m_compositor)
        m_compositor->Kill();
}
