#include "Wizard.h"

#include "FontStore.h"

#include <algorithm>
#include <cctype>

namespace typorin {

namespace fs = std::filesystem;

Command ParseCommandLine(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        line += (line.empty() ? "" : " ") + a;
    }
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0) {
        line.pop_back();
    }
    if (line.size() < 2) {
        return Command::Wizard;
    }
    std::string last = line.substr(line.size() - 2);
    std::transform(last.begin(), last.end(), last.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (last == "/E") {
        return Command::Extract;
    }
    if (last == "/I") {
        return Command::Silent;
    }
    if (last == "/?") {
        return Command::Help;
    }
    return Command::Wizard;
}

bool ExtractFonts(const Package& package, const fs::path& appPath, std::string& reason) {
    for (const std::string& name : package.fileList) {
        std::string n = name;
        while (!n.empty() && n.back() == ' ') {
            n.pop_back();
        }
        std::string ext = n.size() >= 3 ? n.substr(n.size() - 3) : n;
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (ext == "DAT") {
            continue;
        }
        if (!CopyFileAtomic(package.folder.Path() / name, appPath / name, reason)) {
            return false;
        }
    }
    return true;
}

std::string WelcomeHeading(const std::string& title) {
    return "Welcome to Setup for " + title;
}

std::string SetupText(const std::string& title) {
    return "This will install " + title +
           " on your computer.\r\n\r\nIt is strongly recommended that you close all other "
           "applications you have running before continuing. This will help prevent any "
           "conflicts during the installation process.";
}

std::string InstallText(const std::string& title) {
    return "Please wait while Setup installs " + title + " on your computer.";
}

std::string ExitQuestion(const std::string& title) {
    return "Setup is not complete. If you exit now, " + title +
           " will not be installed.\r\n\r\nYou may run Setup at another time to complete the "
           "installation.\r\n\r\nExit Setup?";
}

WizardFlow::WizardFlow(bool license, bool readMe, size_t fonts)
    : license_(license), readMe_(readMe), fonts_(fonts, true) {}

void WizardFlow::Show(Page p) {
    page_ = p;
    if (p == Page::License) {
        next_ = agree_;
    }
}

void WizardFlow::SetAgree(bool agree) {
    agree_ = agree;
    if (page_ == Page::License) {
        next_ = agree;
    }
}

void WizardFlow::SetSelectAll(bool all) {
    selectAll_ = all;
    std::fill(fonts_.begin(), fonts_.end(), all);
}

void WizardFlow::SetFont(size_t i, bool checked) {
    if (i < fonts_.size()) {
        fonts_[i] = checked;
    }
}

WizardFlow::Action WizardFlow::Next() {
    if (!next_) {
        return Action::None;
    }
    const auto install = [this] {
        Show(Page::Installing);
        back_ = false;
        next_ = false;
        cancel_ = false;
        return Action::Install;
    };
    switch (page_) {
    case Page::Welcome:
        back_ = true;
        Show(license_ ? Page::License : readMe_ ? Page::Readme : Page::InstallType);
        return Action::None;
    case Page::License:
        Show(readMe_ ? Page::Readme : Page::InstallType);
        return Action::None;
    case Page::Readme:
        Show(Page::InstallType);
        return Action::None;
    case Page::InstallType:
        if (!complete_) {
            Show(Page::Custom);
            return Action::None;
        }
        SetSelectAll(true);
        links_ = true;
        return install();
    case Page::Custom:
        if (std::count(fonts_.begin(), fonts_.end(), true) == 0) {
            return Action::MustSelect;
        }
        return install();
    case Page::Installing:
        return Action::None;
    case Page::Finished:
        return Action::Quit;
    }
    return Action::None;
}

void WizardFlow::Back() {
    if (!back_) {
        return;
    }
    const auto welcome = [this] {
        Show(Page::Welcome);
        back_ = false;
        next_ = true;
    };
    switch (page_) {
    case Page::License:
        welcome();
        break;
    case Page::Readme:
        if (license_) {
            Show(Page::License);
        } else {
            welcome();
        }
        break;
    case Page::InstallType:
        if (readMe_) {
            Show(Page::Readme);
        } else if (license_) {
            Show(Page::License);
        } else {
            welcome();
        }
        break;
    case Page::Custom:
        Show(Page::InstallType);
        break;
    default:
        break;
    }
}

void WizardFlow::InstallDone(bool ok) {
    Show(Page::Finished);
    next_ = true;
    nextCaption_ = ok ? "&Finish" : "&Close";
}

} // namespace typorin
