#include "platform/Paths.h"

#include "platform/Files.h"

#include <array>
#include <cctype>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

namespace {
std::array<fs::path, 26>& DriveRoots() {
    static std::array<fs::path, 26> roots;
    return roots;
}
} // namespace

void SetDriveRoot(char letter, const fs::path& root) {
    const int c = std::toupper(static_cast<unsigned char>(letter));
    if (c >= 'A' && c <= 'Z') {
        DriveRoots()[c - 'A'] = root;
    }
}

fs::path FromWindowsPath(std::string_view path) {
    std::string p(path);
    for (char& c : p) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0])) != 0) {
        const fs::path& root = DriveRoots()[std::toupper(static_cast<unsigned char>(p[0])) - 'A'];
        std::string rest = p.substr(2);
        while (!rest.empty() && rest.front() == '/') {
            rest.erase(0, 1);
        }
        p = ((root.empty() ? fs::path("/") : root) / rest).string();
    }
    if (p.empty()) {
        return {};
    }
    const bool trailing = p.back() == '/';
    std::string resolved = ResolveNoCase(fs::path(p)).string();
    if (trailing && (resolved.empty() || resolved.back() != '/')) {
        resolved += '/';
    }
    return resolved;
}

fs::path ProgramDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? CurrentDir() : exe.parent_path();
}

fs::path CurrentDir() {
    std::error_code ec;
    fs::path p = fs::current_path(ec);
    return ec ? fs::path(".") : p;
}

namespace {
fs::path& DataDirOverride() {
    static fs::path dir;
    return dir;
}
} // namespace

void SetProgramDataDir(const fs::path& dir) {
    DataDirOverride() = dir;
}

fs::path ProgramDataDir() {
    if (!DataDirOverride().empty()) {
        return DataDirOverride();
    }
    const fs::path dir = ProgramDir();
    return ::access(dir.c_str(), W_OK) == 0 ? dir : CurrentDir();
}

std::string WithTrailingSlash(std::string_view path) {
    std::string p(path);
    if (p.empty() || p.back() != '/') {
        p += '/';
    }
    return p;
}

} // namespace platform
