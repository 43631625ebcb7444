#include "globals/usage_text.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(UsageText, NamesEveryModeAndOption) {
    const std::string text = lp::usageText();
    for (const char* word :
         {"startup", "--headless", "--simulate", "--config PATH", "--interval MS", "--cycles N",
          "--folder NAME", "--folder N", "--verbose", "--help", "--version"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(UsageText, FitsAnEightyColumnTerminal) {
    std::istringstream lines(lp::usageText());
    std::string line;
    while (std::getline(lines, line))
        EXPECT_LT(line.size(), 80u) << line;
}
