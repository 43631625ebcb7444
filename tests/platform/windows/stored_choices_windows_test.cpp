// The options dialog's choices as the program without a desktop layer reads them from the
// registry.

#include "platform/stored_choices.h"
#include "stored_choices_values.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredChoices, TextsAndNumbersAreReadAndAnAbsentValueIsNothing) {
    lp::test::StoredChoicesValues values;
    ASSERT_TRUE(values.setText(L"NameClash", L"keep-both"));
    ASSERT_TRUE(values.setText(L"Paused", L""));
    ASSERT_TRUE(values.setNumber(L"DeleteToTrash", 1));
    ASSERT_TRUE(values.remove(L"Unheard"));
    ASSERT_TRUE(values.setText(L"Long", std::wstring(300, L'x') + L"ü"));

    EXPECT_EQ(lp::platform::ReadStoredChoice("NameClash"), "keep-both");
    EXPECT_EQ(lp::platform::ReadStoredChoice("nameclash"), "keep-both") << "the registry's case";
    EXPECT_EQ(lp::platform::ReadStoredChoice("Paused"), "");
    EXPECT_EQ(lp::platform::ReadStoredChoice("DeleteToTrash"), "1");
    EXPECT_EQ(lp::platform::ReadStoredChoice("Unheard"), std::nullopt);
    EXPECT_EQ(lp::platform::ReadStoredChoice("Long"), std::string(300, 'x') + "ü");
    EXPECT_NE(lp::platform::StoredChoicesPlace().find("Software\\Larchpost\\Options"),
              std::string::npos);
}

} // namespace
