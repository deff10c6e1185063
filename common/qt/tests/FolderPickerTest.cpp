#include "FolderPicker.h"

#include "testsupport/DialogTestSupport.h"
#include "testsupport/QtApp.h"
#include "testsupport/SimProcess.h"
#include "testsupport/TempDir.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>

#include <gtest/gtest.h>

// Every caller chooses a folder that exists (the results program's, an export or print
// folder): the chooser offers no way to make one, neither its button nor its context menu.
TEST(FolderPicker, OffersNoNewFolder) {
    testsupport::EnsureQtApp();
    testsupport::TempDir dir;
    bool canCreate = true;
    testsupport::OnNextModal([&](QDialog& d) {
        // The dialog settles once it has read the folder.
        canCreate = !testsupport::Eventually(
            [&] {
                QCoreApplication::processEvents();
                for (const QAbstractButton* b :
                     d.findChildren<QAbstractButton*>("newFolderButton")) {
                    if (b->isVisible() && b->isEnabled()) {
                        return false;
                    }
                }
                for (const QAction* a : d.findChildren<QAction*>("qt_new_folder_action")) {
                    if (a->isVisible() && a->isEnabled()) {
                        return false;
                    }
                }
                return true;
            },
            3);
        d.reject();
    });
    EXPECT_FALSE(QtFolderPicker::Instance().ChooseFolder(nullptr, "Ravlin", dir.Path().string()));
    EXPECT_FALSE(canCreate);
}
