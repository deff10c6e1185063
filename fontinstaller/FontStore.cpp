#include "FontStore.h"

#include "platform/Files.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>
// Needs fontconfig.h before it.
#include <fontconfig/fcfreetype.h>

extern char** environ;

namespace typorin {

namespace fs = std::filesystem;

UserEnv UserEnv::FromProcess() {
    UserEnv env;
    const auto get = [](const char* name) {
        const char* v = std::getenv(name);
        return std::string(v != nullptr ? v : "");
    };
    env.xdgDataHome = get("XDG_DATA_HOME");
    env.xdgConfigHome = get("XDG_CONFIG_HOME");
    env.home = get("HOME");
    if (env.home.empty()) {
        if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_dir != nullptr) {
            env.home = pw->pw_dir;
        }
    }
    env.root = ::geteuid() == 0;
    return env;
}

fs::path FontsFolder(const UserEnv& env) {
    // A relative XDG folder is to be ignored.
    if (!env.xdgDataHome.empty() && env.xdgDataHome.front() == '/') {
        return fs::path(env.xdgDataHome) / "fonts";
    }
    if (env.root && env.xdgDataHome.empty()) {
        return "/usr/local/share/fonts";
    }
    return fs::path(env.home) / ".local/share/fonts";
}

std::optional<fs::path> FavoritesFolder(const UserEnv& env) {
    if (env.root || env.home.empty()) {
        return std::nullopt;
    }
    const fs::path config = !env.xdgConfigHome.empty() && env.xdgConfigHome.front() == '/'
                                ? fs::path(env.xdgConfigHome)
                                : fs::path(env.home) / ".config";
    std::string text;
    if (platform::ReadWholeFile(config / "user-dirs.dirs", text, nullptr, 1 << 16)) {
        const std::string key = "XDG_DESKTOP_DIR=\"";
        for (size_t pos = 0; (pos = text.find(key, pos)) != std::string::npos; pos += key.size()) {
            if (pos != 0 && text[pos - 1] != '\n') {
                continue;
            }
            const size_t start = pos + key.size();
            const size_t end = text.find('"', start);
            if (end == std::string::npos) {
                break;
            }
            std::string dir = text.substr(start, end - start);
            if (dir.rfind("$HOME/", 0) == 0) {
                dir = env.home + dir.substr(5);
            }
            // "$HOME/" alone switches the desktop off.
            if (dir.front() == '/' && fs::path(dir) != fs::path(env.home + "/")) {
                return fs::path(dir);
            }
            break;
        }
    }
    return fs::path(env.home) / "Desktop";
}

bool IsWebAddress(const std::string& url) {
    const auto starts = [&](std::string_view scheme) {
        if (url.size() <= scheme.size()) {
            return false;
        }
        for (size_t i = 0; i < scheme.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i]) {
                return false;
            }
        }
        return true;
    };
    return starts("http://") || starts("https://");
}

bool AddFavorite(const fs::path& folder, const std::string& title, const std::string& url,
                 std::string& reason) {
    if (title.empty() || title.find('/') != std::string::npos ||
        title.find("..") != std::string::npos || !IsWebAddress(url)) {
        return true; // nothing to write
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return true; // no desktop: no place for a link
    }
    const std::string entry = "[Desktop Entry]\nType=Link\nName=" + title + "\nURL=" + url + "\n";
    return platform::WriteFileAtomic(folder / (title + ".desktop"), entry, &reason);
}

double RoundTo(double number, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::floor(number * scale + 0.5) / scale;
}

std::string SizeText(unsigned long long bytes) {
    const double kb = RoundTo(static_cast<double>(bytes) / 1024.0, 1);
    char buf[64];
    if (kb == std::floor(kb)) {
        std::snprintf(buf, sizeof buf, "%.0f KB", kb);
    } else {
        std::snprintf(buf, sizeof buf, "%.1f KB", kb);
    }
    return buf;
}

bool CopyFileAtomic(const fs::path& src, const fs::path& dest, std::string& reason) {
    std::string bytes;
    return platform::ReadWholeFile(src, bytes, &reason, 256u << 20) &&
           platform::WriteFileAtomic(dest, bytes, &reason);
}

std::optional<std::string> FontconfigStore::FaceName(const fs::path& file) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return std::nullopt;
    }
    std::optional<std::string> face;
    FT_Face ft = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &ft) == 0) {
        // Without a file name fontconfig takes the family only from the font itself: given
        // the name, it would make the file's name the family of a font whose name table is
        // damaged, and no program would find the font under its own family.
        FcPattern* pat = FcFreeTypeQueryFace(ft, reinterpret_cast<const FcChar8*>(""), 0, nullptr);
        FcChar8* family = nullptr;
        if (pat != nullptr && FcPatternGetString(pat, FC_FAMILY, 0, &family) == FcResultMatch &&
            family != nullptr && *family != '\0') {
            face = reinterpret_cast<const char*>(family);
        }
        if (pat != nullptr) {
            FcPatternDestroy(pat);
        }
        FT_Done_Face(ft);
    }
    FT_Done_FreeType(library);
    return face;
}

bool FontconfigStore::CopyFont(const fs::path& src, const fs::path& dest, std::string& reason) {
    return CopyFileAtomic(src, dest, reason);
}

bool FontconfigStore::Refresh(const fs::path& folder, std::string& reason) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string prog = "fc-cache";
    std::string dir = folder.string();
    char* argv[] = {prog.data(), dir.data(), nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, "fc-cache", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        reason = "fc-cache cannot be started: " + platform::ErrnoText(rc);
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            reason = "fc-cache: " + platform::ErrnoText(errno);
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        reason = "fc-cache " + dir + " failed (status " +
                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) +
                 ")";
        return false;
    }
    return true;
}

bool FontconfigStore::Listed(const std::string& face, const fs::path& file) {
    // A fresh configuration: the process's own one would not see what was just installed.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return false;
    }
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcObjectSet* os = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(config, pat, os);
    std::error_code ec;
    const fs::path want = fs::weakly_canonical(file, ec);
    bool found = false;
    for (int i = 0; set != nullptr && i < set->nfont && !found; ++i) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &path) == FcResultMatch) {
            found = fs::weakly_canonical(reinterpret_cast<const char*>(path), ec) == want;
        }
    }
    if (set != nullptr) {
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(os);
    FcPatternDestroy(pat);
    FcConfigDestroy(config);
    return found;
}

} // namespace typorin
