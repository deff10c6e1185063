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

namespace {

// A font's bytes as big-endian 32-bit words, the last one padded with zeros, summed.
uint32_t WordSum(std::string_view bytes) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        sum += static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (24 - 8 * (i % 4));
    }
    return sum;
}

uint32_t Word(std::string_view bytes, size_t at) {
    return WordSum(bytes.substr(at, 4));
}

// A table tag for a message; a damaged directory may hold any bytes.
std::string TagText(std::string_view tag) {
    std::string out;
    for (const char c : tag) {
        out += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return "'" + out + "'";
}

bool ChecksumsAddUp(std::string bytes, std::string& reason) {
    const uint32_t version = bytes.size() >= 12 ? Word(bytes, 0) : 0;
    // 1.0 and 'true' (TrueType outlines), 'OTTO' (CFF outlines); a collection holds several.
    if (version != 0x00010000 && version != 0x74727565 && version != 0x4F54544F) {
        reason = "it is not one TrueType or OpenType font";
        return false;
    }
    const size_t tables = Word(bytes, 4) >> 16;
    if (12 + 16 * tables > bytes.size()) {
        reason = "its table directory reaches outside the file";
        return false;
    }
    size_t adjustment = std::string::npos;
    for (size_t at = 12; at < 12 + 16 * tables; at += 16) {
        const uint32_t offset = Word(bytes, at + 8);
        const uint32_t length = Word(bytes, at + 12);
        if (offset > bytes.size() || length > bytes.size() - offset) {
            reason = "its table " + TagText(bytes.substr(at, 4)) + " reaches outside the file";
            return false;
        }
        if (bytes.compare(at, 4, "head") == 0 && length >= 12) {
            adjustment = offset + 8;
        }
    }
    if (adjustment == std::string::npos) {
        reason = "it has no head table";
        return false;
    }
    // The checksums are taken with the whole-file checksum's own field as zero.
    const uint32_t stored = Word(bytes, adjustment);
    bytes.replace(adjustment, 4, 4, '\0');
    const std::string_view all = bytes;
    for (size_t at = 12; at < 12 + 16 * tables; at += 16) {
        if (WordSum(all.substr(Word(all, at + 8), Word(all, at + 12))) != Word(all, at + 4)) {
            reason = "the checksum of its table " + TagText(all.substr(at, 4)) + " does not add up";
            return false;
        }
    }
    if (0xB1B0AFBA - WordSum(all) != stored) {
        reason = "its whole-file checksum does not add up";
        return false;
    }
    return true;
}

bool GlyphsLoad(const std::string& bytes, std::string& reason) {
    FT_Library library = nullptr;
    if (const FT_Error e = FT_Init_FreeType(&library); e != 0) {
        reason = "FreeType cannot be started (error " + std::to_string(e) + ")";
        return false;
    }
    FT_Face face = nullptr;
    FT_Error e = FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                                    static_cast<FT_Long>(bytes.size()), 0, &face);
    if (e != 0) {
        reason = "FreeType cannot open it (error " + std::to_string(e) + ")";
    }
    for (FT_Long g = 0; e == 0 && g < face->num_glyphs; ++g) {
        if ((e = FT_Load_Glyph(face, static_cast<FT_UInt>(g), FT_LOAD_NO_SCALE)) != 0) {
            reason = "glyph " + std::to_string(g) + " cannot be loaded (FreeType error " +
                     std::to_string(e) + ")";
        }
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return e == 0;
}

} // namespace

bool FontIsWhole(const fs::path& file, std::string& reason) {
    std::string bytes;
    return platform::ReadWholeFile(file, bytes, &reason, 256u << 20) &&
           FontBytesAreWhole(bytes, reason);
}

bool FontBytesAreWhole(const std::string& bytes, std::string& reason) {
    return ChecksumsAddUp(bytes, reason) && GlyphsLoad(bytes, reason);
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
