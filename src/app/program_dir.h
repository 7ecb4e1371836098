// The program folder: where the default pictures, config.ini and the picture dialogs' folders
// live.
#pragma once

#include <string>
#include <vector>

namespace muto::app {

struct ProgramDirInputs {
    std::string option;         // --program-dir, empty when not given
    std::string executableDir;  // folder of the running executable
    std::string xdgDataHome;    // $XDG_DATA_HOME, may be empty
    std::string home;           // $HOME
    // Folders holding the installed pictures, tried in order.
    std::vector<std::string> installedDirs;
};

// The folder to use, without a trailing slash: the option; else the executable's folder when it
// holds CKeyboard.gif (build tree, portable copy); else the per-user data folder
// ($XDG_DATA_HOME/muto, by default ~/.local/share/muto), created when missing and given the
// installed pictures it lacks. Nothing is ever written under the installation. Empty, with a
// reason in *error, when no folder can be had.
std::string resolveProgramDir(const ProgramDirInputs& in, std::string* error);

// The installed-picture folders of an executable: ../share/muto beside it, then the configured
// installation folder.
std::vector<std::string> installedPictureDirs(const std::string& executableDir);

// Folder of the running executable.
std::string executableDir();

}  // namespace muto::app
