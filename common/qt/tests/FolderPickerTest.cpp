#include "FolderPicker.h"

#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>

#include <gtest/gtest.h>

#include <filesystem>

// Every caller chooses a folder that exists (the results program's, an export or print
// folder): the chooser offers no way to make one, neither its button nor its context menu.
TEST(FolderPicker, OffersNoNewFolder) {
    testsupport::EnsureQtApp();
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "Ravlin");
    bool seen = false;
    bool readOnly = false;
    bool canCreate = true;
    testsupport::OnNextModal([&](QDialog& d) {
        seen = true;
        if (auto* fd = qobject_cast<QFileDialog*>(&d)) {
            readOnly = fd->testOption(QFileDialog::ReadOnly);
            const auto create = [fd] {
                bool can = false;
                for (const QAbstractButton* b :
                     fd->findChildren<QAbstractButton*>("newFolderButton")) {
                    can = can || (b->isVisible() && b->isEnabled());
                }
                for (const QAction* a : fd->findChildren<QAction*>("qt_new_folder_action")) {
                    can = can || (a->isVisible() && a->isEnabled());
                }
                return can;
            };
            // The dialog settles once it has read the folder.
            canCreate = !testsupport::Eventually(
                [&] {
                    QCoreApplication::processEvents();
                    return !create();
                },
                3);
        }
        d.reject();
    });
    const auto chosen =
        QtFolderPicker::Instance().ChooseFolder(nullptr, "Ravlin", (dir / "Ravlin").string());
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(readOnly);
    EXPECT_FALSE(canCreate);
}
