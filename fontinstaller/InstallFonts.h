#pragma once

// Copying the package's fonts into the font folder with the replace prompt, making the font
// system see them, and the Favorites entry.

#include "FontPackage.h"
#include "FontStore.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace typorin {

// Codes of the replace prompt; closing it gives Closed, which copies as Yes does.
enum class ReplaceAnswer { Closed = 0, Yes = 1, YesToAll = 2, No = 3, NoToAll = 4 };

struct ReplaceQuestion {
    std::string already; // lblAlready
    std::string existingTitle;
    std::string existingSize;
    std::string newTitle;
    std::string newSize;
    bool singleFont = false; // Yes to All and No to All are hidden
};

// What the Installing page shows, and the prompt.
class InstallView {
public:
    virtual ~InstallView() = default;
    virtual void Status(const std::string& text) = 0;
    virtual void Progress(int done, int total, const std::string& percent) = 0;
    virtual ReplaceAnswer AskReplace(const ReplaceQuestion& question) = 0;
};

struct InstallRequest {
    std::filesystem::path extractPath;
    std::vector<PackageFont> fonts;
    std::vector<bool> checked; // per font; missing entries count as checked
    std::filesystem::path fontFolder;
    bool silent = false;
    bool links = false;
    std::string title; // UTF-8
    std::string url;
    std::string urlTitle;
    std::optional<std::filesystem::path> favoritesFolder;
};

struct InstallResult {
    bool ok = false;
    std::string heading; // lblFinish
    std::string text;    // lblFinishText, with the reason on a line of its own after a failure
};

int HowManyFontCopy(const InstallRequest& request);
InstallResult InstallFonts(const InstallRequest& request, FontStore& store, InstallView& view);

// lblFinishText after a success.
std::string FinishedText(const std::string& title);

} // namespace typorin
