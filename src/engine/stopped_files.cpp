#include "stopped_files.h"

#include "platform/user_folders.h"
#include "platform/utf8_path.h"

#include <filesystem>
#include <fstream>

namespace lp {

// Names are kept with a NUL after each, as a name may hold any other byte.

std::string StoppedFilesPath() {
    const std::string state = platform::UserStateFolder();
    return state.empty() ? std::string() : state + "/Larchpost/stopped-files";
}

std::vector<std::string> ReadStoppedFiles(const std::string& path) {
    std::vector<std::string> files;
    if (path.empty())
        return files;
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    for (std::string file; std::getline(in, file, '\0');)
        if (!file.empty())
            files.push_back(file);
    return files;
}

bool AddStoppedFiles(const std::string& path, const std::vector<std::string>& files) {
    if (path.empty() || files.empty())
        return true;
    std::error_code ignored;
    std::filesystem::create_directories(platform::Utf8Path(path).parent_path(), ignored);
    std::ofstream out(platform::Utf8Path(path), std::ios::binary | std::ios::app);
    for (const std::string& file : files)
        out << file << '\0';
    return static_cast<bool>(out.flush());
}

} // namespace lp
