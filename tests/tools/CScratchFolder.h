#pragma once

// A fresh, empty folder for one test's files, removed with everything in it afterwards.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CScratchFolder {
public:
    CScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ondeline-render-XXXXXX");
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~CScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

    // Every name in the folder, hidden temporary files included, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_path;
};
