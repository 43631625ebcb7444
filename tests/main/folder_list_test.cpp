#include "main/folder_list.h"

#include "globals/records.h"
#include "widgets/check_list_box.h"

#include <gtest/gtest.h>

namespace lp {
namespace {

// Each line shows the folder's name, ticked when it is monitored; its tooltip tells the name
// whole, however narrow the window, and the folder it stands for.
TEST(FolderList, ShowsNamesWithTheirFoldersInTheTooltips) {
    const struct {
        std::string name, folder;
        bool enabled;
    } folders[] = {
        {"Downloads", "/home/user/Downloads", true},
        {"A name far too long for the list of a narrow window, cut in the middle",
         "/home/user/a/deep/folder/Installers", false},
        {"Scans", "/home/user/Scans", true},
    };
    ServiceTable table;
    for (const auto& f : folders) {
        rServiceRules& service = table.services.emplace_back();
        service.serviceid = kOtherService;
        service.othernum = ++table.customCount;
        service.othername = f.name;
        service.sharedir = f.folder;
        service.enabled = f.enabled;
    }
    TCheckListBox list;
    fillFolderList(list, table);
    ASSERT_EQ(list.count(), 3);
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        const auto& f = folders[line];
        EXPECT_EQ(list.item(line)->text().toStdString(), f.name);
        EXPECT_EQ(list.item(line)->toolTip().toStdString(), f.name + "\n" + f.folder);
        EXPECT_EQ(list.checked(line), f.enabled);
    }
}

} // namespace
} // namespace lp
