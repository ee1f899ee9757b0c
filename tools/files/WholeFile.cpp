#include "tools/files/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

constexpr char kPartSuffix[] = ".part";

} // namespace

std::string WriteWholeFile(const std::string& path, const std::string& text) {
    const std::string part = path + kPartSuffix;
    errno = 0;
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        if (file && file.write(text.data(), static_cast<std::streamsize>(text.size())).flush()) {
            file.close();
            if (file && std::rename(part.c_str(), path.c_str()) == 0) {
                return {};
            }
        }
    }
    const std::string reason = errno != 0 ? std::strerror(errno) : "cannot write it";
    std::remove(part.c_str());
    return "cannot write " + path + ": " + reason;
}
