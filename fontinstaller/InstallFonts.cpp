#include "InstallFonts.h"

#include "platform/Cp1250.h"

namespace typorin {

namespace fs = std::filesystem;

namespace {

bool Checked(const InstallRequest& r, size_t i) {
    return i >= r.checked.size() || r.checked[i];
}

std::string FailureText(const std::string& title, int stage) {
    const char* what = stage == 1   ? "copy fonts"
                       : stage == 2 ? "register fonts"
                                    : "create Favorites entry";
    return "Setup could not finish installing " + title +
           " on your computer. Permission denied to " + what + ".";
}

} // namespace

std::string FinishedText(const std::string& title) {
    return "Setup has finished installing " + title + " on your computer.";
}

int HowManyFontCopy(const InstallRequest& request) {
    int n = 0;
    for (size_t i = 0; i < request.fonts.size(); ++i) {
        n += Checked(request, i) ? 1 : 0;
    }
    return n;
}

InstallResult InstallFonts(const InstallRequest& r, FontStore& store, InstallView& view) {
    int stage = 1; // a failure before the copy pass is reported as one of copying
    const auto fail = [&](const std::string& reason) {
        return InstallResult{false, "Could not install",
                             FailureText(r.title, stage) + "\n" + reason};
    };

    std::error_code ec;
    fs::create_directories(r.fontFolder, ec);
    if (ec || !fs::is_directory(r.fontFolder)) {
        return fail("The font folder " + r.fontFolder.string() +
                    " cannot be made: " + (ec ? ec.message() : std::string("it is not a folder")));
    }

    const int total = HowManyFontCopy(r);
    int done = 0;
    bool yesToAll = r.silent; // silent mode answers Yes to All, within one family
    bool noToAll = false;
    std::vector<bool> copied(r.fonts.size(), false);
    std::vector<std::string> existing(r.fonts.size()); // family of a file kept in place
    for (size_t i = 0; i < r.fonts.size(); ++i) {
        if (!Checked(r, i)) {
            continue;
        }
        const PackageFont& font = r.fonts[i];
        const fs::path src = r.extractPath / font.file;
        const fs::path dest = r.fontFolder / font.file;
        view.Status("Copying " + font.face);
        bool copy = true;
        // A file there that is no font, or whose family cannot be read, is no installed
        // font: it is replaced without a prompt, as a file of a name the font system does not
        // know.
        if (fs::symlink_status(dest, ec).type() != fs::file_type::not_found) {
            existing[i] = store.FaceName(dest).value_or("");
        }
        if (!existing[i].empty()) {
            const std::string& existingFace = existing[i];
            if (r.silent) {
                if (existingFace != font.face) {
                    return fail(dest.string() + " is already there and holds the font family " +
                                existingFace + ", not " + font.face + "; it is left as it is.");
                }
            } else if (noToAll) {
                copy = false;
            } else if (!yesToAll) {
                ReplaceQuestion q;
                q.already = "The Font Folder already contains a font with the filename '" +
                            platform::Cp1250ToUtf8(font.file) + "'.";
                q.existingTitle = existingFace;
                const auto existingSize = fs::file_size(dest, ec);
                q.existingSize = SizeText(ec ? 0 : existingSize);
                q.newTitle = font.face;
                q.newSize = SizeText(font.size);
                q.singleFont = r.fonts.size() == 1;
                const ReplaceAnswer a = view.AskReplace(q);
                yesToAll = a == ReplaceAnswer::YesToAll;
                noToAll = a == ReplaceAnswer::NoToAll;
                // The close box leaves the answer unset, and only No keeps the old file.
                copy = a != ReplaceAnswer::No && a != ReplaceAnswer::NoToAll;
            }
        }
        std::string reason;
        if (copy) {
            if (!store.CopyFont(src, dest, reason)) {
                return fail(reason);
            }
            copied[i] = true;
        }
        ++done;
        view.Progress(done, total, std::to_string(done * 100 / total) + " %");
    }

    stage = 2;
    std::string reason;
    if (!store.Refresh(r.fontFolder, reason)) {
        return fail(reason);
    }
    for (size_t i = 0; i < r.fonts.size(); ++i) {
        if (!Checked(r, i)) {
            continue;
        }
        view.Status("Regestering " + r.fonts[i].face);
        const fs::path dest = r.fontFolder / r.fonts[i].file;
        // Only a font the font system lists is installed, also one kept by the prompt.
        if (!store.Listed(r.fonts[i].face, dest)) {
            if (!copied[i] && existing[i] != r.fonts[i].face) {
                return fail(dest.string() + " was kept and holds the font family " + existing[i] +
                            ", not " + r.fonts[i].face + ".");
            }
            return fail("The font system does not list " + r.fonts[i].face + " at " +
                        dest.string() + ".");
        }
    }

    stage = 3;
    if (r.links && !r.url.empty() && !r.urlTitle.empty() && r.favoritesFolder) {
        view.Status("Adding Favorites Entry");
        if (!AddFavorite(*r.favoritesFolder, r.urlTitle, r.url, reason)) {
            return fail(reason);
        }
    }
    return {true, "Finished!", FinishedText(r.title)};
}

} // namespace typorin
