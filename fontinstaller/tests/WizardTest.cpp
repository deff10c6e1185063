// The wizard's pages as a state machine, and the command line.

#include "Wizard.h"

#include <gtest/gtest.h>

using namespace typorin;

namespace {

using Flow = WizardFlow;

// Presses the buttons ('N' Next, 'B' Back) and lists the pages seen after each press.
std::vector<Page> Walk(Flow& f, const std::string& presses) {
    std::vector<Page> seen;
    for (const char c : presses) {
        if (c == 'N') {
            f.Next();
        } else {
            f.Back();
        }
        seen.push_back(f.page());
    }
    return seen;
}

} // namespace

// Next and Back through the pages a package has: licence and read-me pages only when there is
// such a text, Back on the first page disabled again.
TEST(WizardFlow, PagesFollowTheTextsOfThePackage) {
    using P = Page;
    struct Case {
        bool license, readMe;
        std::string presses;
        std::vector<Page> pages;
    };
    const std::vector<Case> cases = {
        {false, false, "NB", {P::InstallType, P::Welcome}},
        {false, true, "NNBB", {P::Readme, P::InstallType, P::Readme, P::Welcome}},
        {true, false, "NBNB", {P::License, P::Welcome, P::License, P::Welcome}},
        {true, true, "NNBB", {P::License, P::Readme, P::License, P::Welcome}},
    };
    for (const Case& c : cases) {
        Flow f(c.license, c.readMe, 1);
        f.SetAgree(true);
        EXPECT_FALSE(f.backEnabled());
        EXPECT_EQ(Walk(f, c.presses), c.pages) << c.license << c.readMe << c.presses;
        EXPECT_FALSE(f.backEnabled());
        EXPECT_TRUE(f.nextEnabled());
    }
    // Back from Install Type goes to the licence when there is no read-me; Custom goes back to
    // Install Type.
    Flow f(true, false, 2);
    f.SetAgree(true);
    f.SetComplete(false);
    EXPECT_EQ(Walk(f, "NNNBB"), (std::vector<Page>{P::License, P::InstallType, P::Custom,
                                                   P::InstallType, P::License}));
}

// Next on the licence page waits for "I accept the agreement".
TEST(WizardFlow, LicenceMustBeAccepted) {
    Flow f(true, false, 1);
    f.Next();
    EXPECT_EQ(f.page(), Page::License);
    EXPECT_FALSE(f.nextEnabled());
    EXPECT_EQ(f.Next(), Flow::Action::None);
    EXPECT_EQ(f.page(), Page::License);
    f.SetAgree(true);
    EXPECT_TRUE(f.nextEnabled());
    f.SetAgree(false);
    EXPECT_FALSE(f.nextEnabled());
}

// Complete installs every font; Custom needs at least one; the Finished page ends the program
// with Finish or, after a failure, Close; only the Finished page is left without asking.
TEST(WizardFlow, InstallChoicesAndTheEnd) {
    Flow custom(false, false, 3);
    custom.SetComplete(false);
    custom.Next();
    custom.Next();
    EXPECT_EQ(custom.page(), Page::Custom);
    custom.SetSelectAll(false);
    EXPECT_EQ(custom.Next(), Flow::Action::MustSelect);
    EXPECT_EQ(custom.page(), Page::Custom);
    custom.SetFont(2, true);
    EXPECT_EQ(custom.Next(), Flow::Action::Install);
    EXPECT_EQ(custom.fonts(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(custom.page(), Page::Installing);
    EXPECT_FALSE(custom.backEnabled() || custom.nextEnabled() || custom.cancelEnabled());
    EXPECT_TRUE(custom.LeavingAsks());

    Flow complete(false, false, 2);
    complete.SetSelectAll(false);
    complete.SetLinks(false);
    complete.Next();
    EXPECT_EQ(complete.Next(), Flow::Action::Install);
    EXPECT_EQ(complete.fonts(), (std::vector<bool>{true, true}));
    EXPECT_TRUE(complete.links());
    complete.InstallDone(false);
    EXPECT_EQ(complete.page(), Page::Finished);
    EXPECT_EQ(complete.nextCaption(), "&Close");
    EXPECT_FALSE(complete.LeavingAsks());
    EXPECT_EQ(complete.Next(), Flow::Action::Quit);
    custom.InstallDone(true);
    EXPECT_EQ(custom.nextCaption(), "&Finish");
}

// Only the last two characters of the trimmed, upper-cased command line count.
TEST(CommandLine, LastTwoCharactersChooseTheAction) {
    struct Case {
        std::vector<std::string> args;
        Command command;
    };
    const std::vector<Case> cases = {
        {{}, Command::Wizard},           {{"/e"}, Command::Extract}, {{" /E  "}, Command::Extract},
        {{"/E", "/I"}, Command::Silent}, {{"/i"}, Command::Silent},  {{"/?"}, Command::Help},
        {{"/x"}, Command::Wizard},       {{"E"}, Command::Wizard},   {{"--/E"}, Command::Extract},
        {{"/E", ""}, Command::Extract},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& a : c.args) {
            line += "[" + a + "]";
        }
        EXPECT_EQ(ParseCommandLine(c.args), c.command) << line;
    }
    EXPECT_EQ(std::string(HelpText),
              "Command line options:\r\n\r\n/E -- Extract files\r\n/I -- Silent install");
}
