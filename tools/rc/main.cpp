#include "tools/rc/CResourceScript.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr char kUsage[] = "usage: ondeline-rc FOLDER x86|amd64";
constexpr char kScriptFile[] = "ondeline.rc";
constexpr int kExitFailure = 2;

// Writes text to path through a temporary file renamed into place, so that a failed build step
// never leaves a half-written file that looks up to date.
bool WriteFile(const std::string& path, const std::string& text) {
    const std::string part = path + ".part";
    errno = 0;
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        if (file && file.write(text.data(), static_cast<std::streamsize>(text.size())).flush()) {
            file.close();
            if (file && std::rename(part.c_str(), path.c_str()) == 0) {
                return true;
            }
        }
    }
    std::cerr << "ondeline-rc: cannot write " << path << ": "
              << (errno != 0 ? std::strerror(errno) : "cannot write it") << '\n';
    std::remove(part.c_str());
    return false;
}

} // namespace

// ondeline-rc FOLDER ARCHITECTURE: writes ondeline.rc and the manifest it names into FOLDER, for
// the program built for ARCHITECTURE.
int main(int argc, char** argv) {
    if (argc != 3 || !CResourceScript::IsArchitecture(argv[2])) {
        std::cerr << kUsage << '\n';
        return kExitFailure;
    }
    const std::string folder = argv[1];
    const std::string architecture = argv[2];
    CResourceScript resources;
    std::ostringstream script;
    std::ostringstream manifest;
    if (!resources.WriteScript(script)) {
        std::cerr << "ondeline-rc: " << resources.Error() << '\n';
        return kExitFailure;
    }
    resources.WriteManifest(manifest, architecture);
    const bool written = WriteFile(folder + "/" + CResourceScript::kManifestFile, manifest.str()) &&
                         WriteFile(folder + "/" + kScriptFile, script.str());
    return written ? 0 : kExitFailure;
}
