#include "engine/folder_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace {

// Three folders as the main window lists them, the table holding them out of line order.
lp::ServiceTable threeFolders() {
    lp::ServiceTable table;
    auto add = [&](const std::string& name, std::int32_t line) {
        lp::rServiceRules service;
        service.serviceid = lp::kOtherService;
        service.othername = name;
        service.othernum = line;
        service.sharedir = "/in/" + name;
        table.services.push_back(service);
    };
    add("Music", 2);
    add("Photos", 1);
    add("2024", 3);
    return table;
}

TEST(FolderChoice, ANameOrALineNumberChoosesTheFolderAndAnythingElseIsRefusedWithTheList) {
    struct Case {
        std::string asked;
        std::string chosenName; // empty: refused
        std::string refusalHolds = {};
    } cases[] = {
        {"Music", "Music"},
        {"1", "Photos"}, // the line of the list, not the table's order
        {"2", "Music"},
        {"3", "2024"},
        {"02", "Music"}, // digits are a number, leading zeros and all
        {"2024", "",
         "there is no folder number \"2024\"; the folders are 1 \"Photos\", 2 "
         "\"Music\", 3 \"2024\"."},
        {"0", "", "no folder number \"0\""},
        {"4", "", "no folder number \"4\""},
        {"99999999999999999999999", "", "no folder number"},
        {"music", "", "no folder is named \"music\""}, // names compare as bytes
        {"Music ", "", "no folder is named \"Music \""},
        {"-1", "", "no folder is named \"-1\""},
    };
    const lp::ServiceTable table = threeFolders();
    for (const Case& c : cases) {
        const auto choice = lp::ChooseFolder(table, c.asked);
        if (c.chosenName.empty()) {
            ASSERT_TRUE(std::holds_alternative<std::string>(choice)) << c.asked;
            EXPECT_NE(std::get<std::string>(choice).find(c.refusalHolds), std::string::npos)
                << std::get<std::string>(choice);
        } else {
            ASSERT_TRUE(std::holds_alternative<std::size_t>(choice)) << c.asked;
            EXPECT_EQ(table.services[std::get<std::size_t>(choice)].othername, c.chosenName)
                << c.asked;
        }
    }
}

TEST(FolderChoice, ASharedNameIsRefusedWithItsNumbersAndAnEmptyTableSaysSo) {
    lp::ServiceTable table = threeFolders();
    table.services[2].othername = "Music";
    const auto shared = lp::ChooseFolder(table, "Music");
    ASSERT_TRUE(std::holds_alternative<std::string>(shared));
    EXPECT_EQ(std::get<std::string>(shared),
              "2 folders are named \"Music\" (numbers 2, 3); give the number of the one meant.");
    const auto none = lp::ChooseFolder(lp::ServiceTable{}, "1");
    ASSERT_TRUE(std::holds_alternative<std::string>(none));
    EXPECT_EQ(std::get<std::string>(none), "the configuration has no folders to choose from.");
}

} // namespace
