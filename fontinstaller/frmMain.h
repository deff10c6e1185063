#pragma once

// The wizard window and the replace prompt: thin views over WizardFlow and InstallFonts.

#include "FontPackage.h"
#include "FontStore.h"
#include "InstallFonts.h"
#include "Wizard.h"

#include <QDialog>
#include <QMessageBox>
#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// "Extracting fonts..." while the package is read.
class frmExtracting : public QWidget {
public:
    frmExtracting();
};

class frmReplace : public QDialog {
public:
    explicit frmReplace(const typorin::ReplaceQuestion& q, QWidget* parent = nullptr);
    // The answer; closing the box gives Closed.
    typorin::ReplaceAnswer Ask();
};

// The command line options ("/?") as a message box.
std::unique_ptr<QMessageBox> HelpBox();

class frmMain : public QWidget, private typorin::InstallView {
public:
    frmMain(typorin::Package& package, typorin::FontStore& store, const typorin::UserEnv& env);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Status(const std::string& text) override;
    void Progress(int done, int total, const std::string& percent) override;
    typorin::ReplaceAnswer AskReplace(const typorin::ReplaceQuestion& question) override;

    void LoadFontChecks();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    bool ExitMsg();
    void Install();
    void Sync(); // shows the flow's state

    typorin::Package& package_;
    typorin::FontStore& store_;
    typorin::UserEnv env_;
    std::string title_; // PackageTitle in UTF-8
    bool linkShown_ = false;
    bool leaving_ = false;
    typorin::WizardFlow flow_;

    QStackedWidget* pages_ = nullptr;
    QPushButton* cmdBack_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QRadioButton* optAgree_ = nullptr;
    QRadioButton* optDisagree_ = nullptr;
    QRadioButton* optComplete_ = nullptr;
    QRadioButton* optCustom_ = nullptr;
    QCheckBox* chkSelect_ = nullptr;
    QCheckBox* chkLinks_ = nullptr;
    std::vector<QCheckBox*> chkFont_;
    QWidget* picSlide_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QProgressBar* picProg_ = nullptr;
    QLabel* lblPercent_ = nullptr;
    QLabel* lblFinish_ = nullptr;
    QLabel* lblFinishText_ = nullptr;
    QLabel* lblFinishFinish_ = nullptr;
};
