#pragma once

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
    ~CSession() = default;

    bool m_ready = false;
    std::string m_failure;
};
