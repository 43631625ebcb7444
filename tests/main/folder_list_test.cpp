#include "main/folder_list.h"

#include "globals/records.h"
#include "widgets/check_list_box.h"

#include <gtest/gtest.h>

namespace lp {
namespace {

// Each line shows the folder's name, ticked when it is monitored, and says when its sub-folders
// are watched with it; its tooltip tells the name whole, however narrow the window, and the
// folder it stands for.
TEST(FolderList, ShowsNamesWithTheirFoldersInTheTooltips) {
    const struct {
        std::string name, folder;
        bool enabled;
        std::int32_t subfolders;
        std::string line;
    } folders[] = {
        {"Downloads", "/home/user/Downloads", true, 0, "Downloads"},
        {"A name far too long for the list of a narrow window, cut in the middle",
         "/home/user/a/deep/folder/Installers", false, 0,
         "A name far too long for the list of a narrow window, cut in the middle"},
        {"Scans", "/home/user/Scans", true, 32, "Scans (with sub-folders)"},
        {"Camera", "/home/user/Camera", false, 2, "Camera (with sub-folders)"},
    };
    ServiceTable table;
    for (const auto& f : folders) {
        rServiceRules& service = table.services.emplace_back();
        service.serviceid = kOtherService;
        service.othernum = ++table.customCount;
        service.othername = f.name;
        service.sharedir = f.folder;
        service.enabled = f.enabled;
        service.subfolders = f.subfolders;
    }
    TCheckListBox list;
    fillFolderList(list, table);
    ASSERT_EQ(list.count(), 4);
    for (int line = 0; line < 4; ++line) {
        SCOPED_TRACE(line);
        const auto& f = folders[line];
        EXPECT_EQ(list.item(line)->text().toStdString(), f.line);
        EXPECT_EQ(list.item(line)->toolTip().toStdString(), f.name + "\n" + f.folder);
        EXPECT_EQ(list.checked(line), f.enabled);
    }
}

} // namespace
} // namespace lp
