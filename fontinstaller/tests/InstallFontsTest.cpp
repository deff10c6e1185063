// Installation against a fake font system and a scripted replace prompt.

#include "InstallFonts.h"
#include "TestFonts.h"

#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <sys/stat.h>

using namespace typorin;
using namespace typorintest;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
namespace fs = std::filesystem;

namespace {

struct FakeView : InstallView {
    void Status(const std::string& text) override { statuses.push_back(text); }
    void Progress(int, int, const std::string& p) override { percent = p; }
    ReplaceAnswer AskReplace(const ReplaceQuestion& q) override {
        questions.push_back(q);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected prompt";
            return ReplaceAnswer::Closed;
        }
        const ReplaceAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> statuses;
    std::string percent;
    std::deque<ReplaceAnswer> answers;
    std::vector<ReplaceQuestion> questions;
};

class InstallFontsTest : public ::testing::Test {
protected:
    // A package of the given families, files A.TTF, B.TTF, ...
    void Package(const std::vector<std::string>& families) {
        fs::create_directories(extract);
        r = {};
        r.extractPath = extract;
        r.fontFolder = dir / "data" / "fonts";
        r.title = "Sada";
        for (size_t i = 0; i < families.size(); ++i) {
            const std::string file = std::string(1, static_cast<char>('A' + i)) + ".TTF";
            WriteBytes(extract / file, FakeFont(families[i]) + "\nnew");
            r.fonts.push_back({file, families[i], 65232});
        }
    }
    // An installed file of that name: a font of the family, or an empty file without one.
    void Existing(const std::string& file, const std::string& family) {
        fs::create_directories(r.fontFolder);
        WriteBytes(r.fontFolder / file, family.empty() ? "" : FakeFont(family));
    }
    std::string Installed(const std::string& file) { return ReadBytes(r.fontFolder / file); }
    InstallResult Run() { return InstallFonts(r, store, view); }

    testsupport::TempDir dir;
    fs::path extract = dir / "extract";
    InstallRequest r;
    FakeStore store;
    FakeView view;
};

} // namespace

// A first installation copies without a prompt, readable by all, and tells the font system.
TEST_F(InstallFontsTest, FreshInstallCopiesRefreshesAndFinishes) {
    Package({"QZ-Davovazedi04"});
    const InstallResult res = Run();
    EXPECT_TRUE(res.ok);
    EXPECT_EQ(res.heading, "Finished!");
    EXPECT_EQ(res.text, "Setup has finished installing Sada on your computer.");
    EXPECT_EQ(Installed("A.TTF"), FakeFont("QZ-Davovazedi04") + "\nnew");
    struct stat st {};
    ASSERT_EQ(::stat((r.fontFolder / "A.TTF").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(store.refreshes, 1);
    EXPECT_EQ(view.percent, "100 %");
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{"Copying QZ-Davovazedi04", "Regestering QZ-Davovazedi04"}));
    EXPECT_TRUE(view.questions.empty());
}

// An existing font of the same name always asks; each answer, and the close box as Yes. A file
// that is no font is replaced without a prompt, and a kept file of another family is no success.
TEST_F(InstallFontsTest, ExistingFileAsksAndEachAnswerIsKept) {
    struct Case {
        std::vector<std::string> families;
        std::vector<std::string> existing; // families of A.TTF, B.TTF already there
        std::deque<ReplaceAnswer> answers;
        size_t prompts;
        std::vector<bool> replaced;
        bool silent = false;
        bool ok = true;
    };
    using A = ReplaceAnswer;
    const std::vector<Case> cases = {
        {{"F"}, {"F"}, {A::Yes}, 1, {true}},
        {{"F"}, {"F"}, {A::No}, 1, {false}},
        {{"F"}, {"F"}, {A::Closed}, 1, {true}},
        {{"F"}, {"Other"}, {A::Yes}, 1, {true}}, // the user was shown both families
        {{"F", "G"}, {"F", "G"}, {A::NoToAll}, 1, {false, false}},
        {{"F", "G"}, {"F", "G"}, {A::YesToAll}, 1, {true, true}},
        {{"F", "G"}, {"F", "G"}, {A::No, A::Yes}, 2, {false, true}},
        {{"F"}, {""}, {}, 0, {true}},
        {{"F"}, {""}, {}, 0, {true}, true},
        {{"F"}, {"Other"}, {A::No}, 1, {false}, false, false},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        const Case& k = cases[c];
        fs::remove_all(r.fontFolder);
        view = {};
        Package(k.families);
        for (size_t i = 0; i < k.existing.size(); ++i) {
            Existing(r.fonts[i].file, k.existing[i]);
        }
        view.answers = k.answers;
        r.silent = k.silent;
        const InstallResult res = Run();
        EXPECT_EQ(res.ok, k.ok) << c << ": " << res.text;
        EXPECT_EQ(res.text.find("A.TTF was kept and holds the font family Other, not F.") !=
                      std::string::npos,
                  !k.ok)
            << c;
        EXPECT_EQ(view.questions.size(), k.prompts) << c;
        for (size_t i = 0; i < k.replaced.size(); ++i) {
            EXPECT_EQ(Installed(r.fonts[i].file),
                      k.replaced[i] ? FakeFont(k.families[i]) + "\nnew" : FakeFont(k.existing[i]))
                << c << " font " << i;
        }
    }
    // The prompt of a one-font package: no "all" buttons, both fonts described.
    fs::remove_all(r.fontFolder);
    view = {};
    Package({"QZ-Davovazedi04"});
    Existing("A.TTF", "Old");
    view.answers = {ReplaceAnswer::No};
    Run();
    ASSERT_EQ(view.questions.size(), 1u);
    const ReplaceQuestion& q = view.questions[0];
    EXPECT_EQ(q.already, "The Font Folder already contains a font with the filename 'A.TTF'.");
    EXPECT_EQ(q.existingTitle, "Old");
    EXPECT_EQ(q.existingSize, "0 KB");
    EXPECT_EQ(q.newTitle, "QZ-Davovazedi04");
    EXPECT_EQ(q.newSize, "63.7 KB");
    EXPECT_TRUE(q.singleFont);
}

// Silent mode answers Yes to All without asking, but never replaces a file of another family.
TEST_F(InstallFontsTest, SilentModeReplacesOnlyTheSameFamily) {
    Package({"F", "G"});
    r.silent = true;
    Existing("A.TTF", "F");
    EXPECT_TRUE(Run().ok);
    EXPECT_EQ(Installed("A.TTF"), FakeFont("F") + "\nnew");
    EXPECT_EQ(Installed("B.TTF"), FakeFont("G") + "\nnew");

    Existing("B.TTF", "Arial");
    const InstallResult res = Run();
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(res.text.substr(0, res.text.find('\n')),
              "Setup could not finish installing Sada on your computer. Permission denied to "
              "copy fonts.");
    EXPECT_NE(res.text.find("holds the font family Arial, not G"), std::string::npos) << res.text;
    EXPECT_EQ(Installed("B.TTF"), FakeFont("Arial"));
    EXPECT_TRUE(view.questions.empty());
}

// Every failure ends on "Could not install" with its stage's text and the reason; a failed
// copy leaves the old file as it was.
TEST_F(InstallFontsTest, FailuresNameTheirStageAndReason) {
    const std::string head = "Setup could not finish installing Sada on your computer. ";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string text;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"font folder is a file",
         [&] {
             fs::create_directories(dir / "data");
             WriteBytes(r.fontFolder, "x");
         },
         "Permission denied to copy fonts.", "cannot be made"},
        {"font system does not list it", [&] { store.hidden = {"F"}; },
         "Permission denied to register fonts.", "does not list F at"},
        {"copy fails",
         [&] {
             Existing("A.TTF", "F");
             view.answers = {ReplaceAnswer::Yes};
             fs::remove(extract / "A.TTF");
         },
         "Permission denied to copy fonts.", "A.TTF"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir / "data");
        store.hidden.clear();
        Package({"F"});
        c.arrange();
        const InstallResult res = Run();
        EXPECT_FALSE(res.ok) << c.what;
        EXPECT_EQ(res.heading, "Could not install") << c.what;
        EXPECT_EQ(res.text.substr(0, res.text.find('\n')), head + c.text) << c.what;
        EXPECT_NE(res.text.find(c.reason), std::string::npos) << c.what << ": " << res.text;
    }
    EXPECT_EQ(Installed("A.TTF"), FakeFont("F")) << "the old file stays after a failed copy";
}

// Unchecked fonts are left out; the Favorites link takes only web addresses and plain titles.
TEST_F(InstallFontsTest, ChoiceOfFontsAndFavoritesEntry) {
    Package({"F", "G"});
    r.checked = {false, true};
    EXPECT_EQ(HowManyFontCopy(r), 1);
    const fs::path desk = dir / "Desktop";
    fs::create_directories(desk);
    r.favoritesFolder = desk;
    r.links = true;
    struct Case {
        std::string url, title;
        bool written;
    };
    for (const Case& c : std::vector<Case>{{"https://example.org/", "Web", true},
                                           {"ftp://example.org/", "Ftp", false},
                                           {"http://example.org/", "a/b", false},
                                           {"http://example.org/", "x..y", false}}) {
        r.url = c.url;
        r.urlTitle = c.title;
        fs::remove_all(r.fontFolder);
        EXPECT_TRUE(Run().ok);
        EXPECT_EQ(fs::exists(desk / (c.title + ".desktop")), c.written) << c.title;
    }
    EXPECT_EQ(ReadBytes(desk / "Web.desktop"),
              "[Desktop Entry]\nType=Link\nName=Web\nURL=https://example.org/\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(desk), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(r.fontFolder / "A.TTF"));
    EXPECT_TRUE(fs::exists(r.fontFolder / "B.TTF"));
    EXPECT_EQ(view.percent, "100 %");
}

// The folders: XDG first, root's shared folder only without XDG_DATA_HOME; no link for root.
TEST(FontFolders, FollowTheEnvironment) {
    UserEnv e;
    e.home = "/home/u";
    EXPECT_EQ(FontsFolder(e), "/home/u/.local/share/fonts");
    e.xdgDataHome = "/x/data";
    EXPECT_EQ(FontsFolder(e), "/x/data/fonts");
    e.root = true;
    EXPECT_EQ(FontsFolder(e), "/x/data/fonts");
    EXPECT_FALSE(FavoritesFolder(e));
    e.xdgDataHome.clear();
    EXPECT_EQ(FontsFolder(e), "/usr/local/share/fonts");

    testsupport::TempDir dir;
    UserEnv u;
    u.home = dir.Path().string();
    EXPECT_EQ(FavoritesFolder(u), dir / "Desktop");
    fs::create_directories(dir / ".config");
    WriteBytes(dir / ".config" / "user-dirs.dirs", "# x\nXDG_DESKTOP_DIR=\"$HOME/Plocha\"\n");
    EXPECT_EQ(FavoritesFolder(u), dir / "Plocha");
    EXPECT_EQ(SizeText(65232), "63.7 KB");
    EXPECT_EQ(RoundTo(63.75, 1), 63.8);
}
