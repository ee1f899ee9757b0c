#include "CChildProcess.h"

#include <QFile>

namespace {
const auto kTerminateGrace = std::chrono::milliseconds(3000);
const char* const kErrorsFile = "stderr";

std::string JoinCommand(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& arg : argv)
        line += (line.empty() ? "" : " ") + arg;
    return line;
}

// Starts argv[0] with the rest as arguments and the assignments added to this process's
// environment; the caller waits for it to start.
void Start(QProcess& process, const std::vector<std::string>& argv,
           const std::vector<std::string>& env) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const std::string& assignment : env) {
        const auto equals = assignment.find('=');
        environment.insert(QString::fromStdString(assignment.substr(0, equals)),
                           QString::fromStdString(assignment.substr(equals + 1)));
    }
    process.setProcessEnvironment(environment);
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i)
        args << QString::fromStdString(argv[i]);
    process.start(QString::fromStdString(argv.at(0)), args);
}

int ExitStatus(const QProcess& process) {
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
} // namespace

std::string CChildProcess::Result::Describe() const {
    std::string text = "`" + command + "` ";
    text += status == -1 ? "failed" : "exited with status " + std::to_string(status);
    return text + (errors.empty() ? " and wrote no errors" : ": " + errors);
}

CChildProcess::Result CChildProcess::Run(const std::vector<std::string>& argv,
                                         const std::vector<std::string>& env,
                                         std::chrono::milliseconds timeout) {
    Result result;
    result.command = JoinCommand(argv);
    QProcess process;
    Start(process, argv, env);
    if (!process.waitForStarted()) {
        result.errors = "could not start: " + process.errorString().toStdString();
        return result;
    }
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(static_cast<int>(timeout.count()));
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    result.output = process.readAllStandardOutput().toStdString();
    result.errors = process.readAllStandardError().toStdString();
    if (!finished)
        result.errors += "(killed after " + std::to_string(timeout.count()) + " ms)";
    else
        result.status = ExitStatus(process);
    return result;
}

CChildProcess::CChildProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& env)
    : m_command(JoinCommand(argv)) {
    // Its errors go to a file rather than a pipe, which a long-running talker would fill while
    // the test is not reading.
    if (m_logDir.isValid())
        m_process.setStandardErrorFile(m_logDir.filePath(kErrorsFile));
    Start(m_process, argv, env);
    m_bStarted = m_process.waitForStarted();
}

CChildProcess::~CChildProcess() {
    Terminate();
}

bool CChildProcess::Running() {
    if (m_process.state() == QProcess::NotRunning)
        return false;
    m_process.waitForFinished(0);
    return m_process.state() != QProcess::NotRunning;
}

std::optional<int> CChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (!m_bStarted)
        return std::nullopt;
    if (m_process.state() != QProcess::NotRunning &&
        !m_process.waitForFinished(static_cast<int>(timeout.count())))
        return std::nullopt;
    return ExitStatus(m_process);
}

void CChildProcess::Terminate() {
    if (!Running())
        return;
    m_process.terminate();
    if (!WaitForExit(kTerminateGrace))
        Kill();
}

void CChildProcess::Kill() {
    if (!Running())
        return;
    m_process.kill();
    m_process.waitForFinished(static_cast<int>(kTerminateGrace.count()));
}

std::string CChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_process.canReadLine()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !m_process.waitForReadyRead(static_cast<int>(left.count())))
            return {};
    }
    return m_process.readLine().trimmed().toStdString();
}

bool CChildProcess::Write(const std::string& text) {
    if (!Running())
        return false;
    const auto size = static_cast<qint64>(text.size());
    return m_process.write(text.data(), size) == size && m_process.waitForBytesWritten();
}

std::string CChildProcess::Errors() const {
    QFile file(m_logDir.filePath(kErrorsFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string{};
}

std::string CChildProcess::Describe() {
    std::string text = "`" + m_command + "` ";
    if (!m_bStarted)
        text += "could not start: " + m_process.errorString().toStdString();
    else if (Running())
        text += "is running";
    else
        text += "exited with status " + std::to_string(ExitStatus(m_process));
    const std::string errors = Errors();
    return text + (errors.empty() ? "" : "; its errors: " + errors);
}
