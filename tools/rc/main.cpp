#include "tools/rc/CResourceScript.h"

#include "tools/files/WholeFile.h"

#include <iostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr char kUsage[] = "usage: ondeline-rc FOLDER x86|amd64";
constexpr char kScriptFile[] = "ondeline.rc";
constexpr int kExitFailure = 2;

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
    for (const auto& [name, text] :
         {std::pair<std::string, std::string>{CResourceScript::kManifestFile, manifest.str()},
          {kScriptFile, script.str()}}) {
        if (const std::string error = WriteWholeFile(folder + "/" + name, text); !error.empty()) {
            std::cerr << "ondeline-rc: " << error << '\n';
            return kExitFailure;
        }
    }
    return 0;
}
