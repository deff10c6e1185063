#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Windows paths that arrive in files (backslashes, drive letters) become Linux paths. A drive
// letter maps to the folder set for it, or to the root when none was set; the components are
// then looked up without regard to case.
std::filesystem::path FromWindowsPath(std::string_view path);
void SetDriveRoot(char letter, const std::filesystem::path& root);

// The folder of the running executable.
std::filesystem::path ProgramDir();
std::filesystem::path CurrentDir();
// Where data that belongs next to the program is kept: the program folder when it can be
// written, else the current folder.
std::filesystem::path ProgramDataDir();
// Puts the program's data elsewhere (tests that run a program's forms in their own process keep
// it out of the build folder); empty restores the rule above.
void SetProgramDataDir(const std::filesystem::path& dir);

// The path as text with exactly one '/' at its end.
std::string WithTrailingSlash(std::string_view path);

} // namespace platform
