#pragma once

// The font folder, the font system (fontconfig stands for the Windows font registry) and the
// Favorites entry (a desktop link) that the installation uses.

#include <filesystem>
#include <optional>
#include <string>

namespace typorin {

// What the folder rules read from the environment.
struct UserEnv {
    std::string xdgDataHome;   // empty when unset
    std::string xdgConfigHome; // empty when unset
    std::string home;
    bool root = false;
    static UserEnv FromProcess();
};

// $XDG_DATA_HOME/fonts, else ~/.local/share/fonts; for root without XDG_DATA_HOME the folder
// of all users, /usr/local/share/fonts.
std::filesystem::path FontsFolder(const UserEnv& env);
// The user's desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop); nothing for
// root, who gets no Favorites entry.
std::optional<std::filesystem::path> FavoritesFolder(const UserEnv& env);

// Only web addresses become links.
bool IsWebAddress(const std::string& url);
// The desktop link named after the title; false with the reason when it cannot be written.
// A title that cannot be a file name, or an address that is no web address, writes nothing.
bool AddFavorite(const std::filesystem::path& folder, const std::string& title,
                 const std::string& url, std::string& reason);

// A file length as the replace prompt shows it: KB rounded half up to one decimal.
double RoundTo(double number, int digits);
std::string SizeText(unsigned long long bytes);

// Whether a font file is whole: one TrueType or OpenType font whose every table checksum and
// whose whole-file checksum add up, and whose every glyph FreeType loads. False with the reason.
bool FontIsWhole(const std::filesystem::path& file, std::string& reason);
bool FontBytesAreWhole(const std::string& bytes, std::string& reason);

// The font system, faked in tests.
class FontStore {
public:
    virtual ~FontStore() = default;
    // The family a font file declares itself; nothing when the file is no font or its family
    // cannot be read from it.
    virtual std::optional<std::string> FaceName(const std::filesystem::path& file) = 0;
    // Puts a copy of src at dest under a temporary name renamed into place (mode 0644), so a
    // failure leaves an existing file as it was.
    virtual bool CopyFont(const std::filesystem::path& src, const std::filesystem::path& dest,
                          std::string& reason) = 0;
    // Tells the font system that the folder changed.
    virtual bool Refresh(const std::filesystem::path& folder, std::string& reason) = 0;
    // Whether a fresh look at the font system lists the family at that file.
    virtual bool Listed(const std::string& face, const std::filesystem::path& file) = 0;
};

// The real one: fontconfig, and fc-cache for the refresh.
class FontconfigStore : public FontStore {
public:
    std::optional<std::string> FaceName(const std::filesystem::path& file) override;
    bool CopyFont(const std::filesystem::path& src, const std::filesystem::path& dest,
                  std::string& reason) override;
    bool Refresh(const std::filesystem::path& folder, std::string& reason) override;
    bool Listed(const std::string& face, const std::filesystem::path& file) override;
};

// The copy itself, shared by the real store and the fakes.
bool CopyFileAtomic(const std::filesystem::path& src, const std::filesystem::path& dest,
                    std::string& reason);

} // namespace typorin
