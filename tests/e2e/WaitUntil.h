#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Polls cond until it holds or the timeout passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    const auto pollInterval = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}
