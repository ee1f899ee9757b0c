#pragma once

#include <cstdlib>
#include <string>

// What every session the end-to-end tests start has in common: it either started, or says why
// not, and it is one of a kind.
class CSession {
public:
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    bool Ready() const { return m_ready; }
    // Why the session did not start, when it did not.
    const std::string& Failure() const { return m_failure; }

protected:
    CSession() = default;
    // Pictures go to the folder given, or to ONDELINE_ARTIFACT_DIR where that is set, so that
    // runs side by side keep theirs apart.
    explicit CSession(const std::string& artifactDir)
        : m_artifactDir(std::getenv("ONDELINE_ARTIFACT_DIR") != nullptr
                            ? std::getenv("ONDELINE_ARTIFACT_DIR")
                            : artifactDir) {}
    ~CSession() = default;

    bool m_ready = false;
    std::string m_failure;
    std::string m_artifactDir;
};
