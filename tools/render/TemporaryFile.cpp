#include "tools/render/TemporaryFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kMaxNameAttempts = 100; // names left over by earlier runs are stepped over

} // namespace

bool OpenTemporaryBeside(const std::string& finalName, std::string& tempName, int& fd,
                         std::string& error) {
    const std::filesystem::path finalPath(finalName);
    const std::string prefix =
        "." + finalPath.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::filesystem::path candidate = finalPath;
        candidate.replace_filename(prefix + std::to_string(attempt));
        fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            tempName = candidate.string();
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    error = "cannot write " + finalName + ": " + std::strerror(errno);
    return false;
}
