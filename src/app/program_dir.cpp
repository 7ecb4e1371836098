#include "app/program_dir.h"

#include <filesystem>
#include <system_error>

namespace muto::app {

namespace fs = std::filesystem;

namespace {

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

// Copies the regular files of `from` that `to` lacks, and those of its AnimationGif folder;
// existing files (the user's own) stay.
void fillFrom(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && it->path().filename() == "AnimationGif") {
            fs::create_directories(to / "AnimationGif", ec);
            fillFrom(it->path(), to / "AnimationGif");
            ec.clear();
            continue;
        }
        if (!it->is_regular_file(ec)) continue;
        const fs::path target = to / it->path().filename();
        if (fs::exists(target, ec)) continue;
        fs::copy_file(it->path(), target, ec);
        ec.clear();
    }
}

}  // namespace

std::string resolveProgramDir(const ProgramDirInputs& in, std::string* error) {
    std::error_code ec;
    if (!in.option.empty()) return withoutTrailingSlash(fs::absolute(in.option, ec).string());
    if (!in.executableDir.empty() && fs::exists(fs::path(in.executableDir) / "CKeyboard.gif", ec))
        return withoutTrailingSlash(in.executableDir);

    fs::path data;
    if (!in.xdgDataHome.empty() && fs::path(in.xdgDataHome).is_absolute())
        data = in.xdgDataHome;
    else if (!in.home.empty())
        data = fs::path(in.home) / ".local" / "share";
    else {
        if (error) *error = "no program folder: neither XDG_DATA_HOME nor HOME is set";
        return {};
    }
    const fs::path dir = data / "muto";
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        if (error) *error = "cannot create the program folder " + dir.string();
        return {};
    }
    // Pictures the folder lacks (a first start, or a newer installation) come from the first
    // installed folder that has them.
    for (const std::string& installed : in.installedDirs) {
        if (!fs::exists(fs::path(installed) / "CKeyboard.gif", ec)) continue;
        fillFrom(installed, dir);
        break;
    }
    return withoutTrailingSlash(dir.string());
}

std::vector<std::string> installedPictureDirs(const std::string& executableDir) {
    std::vector<std::string> dirs;
    if (!executableDir.empty())
        dirs.push_back((fs::path(executableDir).parent_path() / "share" / "muto").string());
    dirs.push_back(MUTO_INSTALLED_DATA_DIR);
    return dirs;
}

std::string executableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

}  // namespace muto::app
