#include "tools/rc/CResourceScript.h"

#include "tools/files/WholeFile.h"

#include <iostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr char kUsage[] = "usage: ondeline-rc FOLDER";
constexpr char kScriptFile[] = "ondeline.rc";
constexpr int kExitFailure = 2;

} // namespace

// ondeline-rc FOLDER: writes ondeline.rc and the manifest it names into FOLDER.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << kUsage << '\n';
        return kExitFailure;
    }
    const std::string folder = argv[1];
    CResourceScript resources;
    std::ostringstream script;
    std::ostringstream manifest;
    if (!resources.WriteScript(script)) {
        std::cerr << "ondeline-rc: " << resources.Error() << '\n';
        return kExitFailure;
    }
    resources.WriteManifest(manifest);
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
