// A configuration written in the ANSI code page, as the program that first kept these files
// wrote it on Windows, reads with its names intact; one in UTF-8 reads as it is.

#include "globals/config_file.h"
#include "platform/windows/windows_support.h"

#include <gtest/gtest.h>

namespace lp {
namespace {

// The ANSI code page's byte as UTF-8, as this machine's regional settings read it.
std::string ansiAsUtf8(const std::string& bytes) {
    wchar_t wide[16];
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 16);
    return platform::windows::toUtf8(std::wstring_view(wide, static_cast<std::size_t>(length)));
}

std::string configNaming(const std::string& name, const std::string& folder) {
    return "[Main Info]\r\nVersion=1.00\r\nUseSMTP=0\r\nSMTP Server=\r\nReplyTo=\r\n"
           "Service Count=1\r\nCustom Count=1\r\n[Service 1]\r\nserviceid=5\r\nothernum=1\r\n"
           "othername=" +
           name + "\r\nenabled=1\r\nsharedir=" + folder + "\r\nexcludefiles=\r\nrulecnt=0\r\n";
}

TEST(ConfigEncoding, AnsiTextIsReadAsItsLettersAndUtf8AndMixedTextStayAsWritten) {
    const std::string ae = ansiAsUtf8("\xE4");
    ASSERT_NE(ae, "\xE4");
    struct Case {
        std::string name, folder;
        std::string expectedName, expectedFolder;
    };
    const Case cases[] = {
        {"Eing\xE4nge", "C:\\Eing\xE4nge", "Eing" + ae + "nge", "C:\\Eing" + ae + "nge"},
        {"Eingänge", "C:\\音楽", "Eingänge", "C:\\音楽"},
        {"plain", "C:\\in", "plain", "C:\\in"},
        // One damaged byte among UTF-8 does not turn the whole file into other letters.
        {"Eingänge", "C:\\Eing\xE4nge", "Eingänge", "C:\\Eing\xE4nge"},
    };
    for (const Case& c : cases) {
        ServiceTable table;
        EXPECT_EQ(ReadConfigContent(configNaming(c.name, c.folder), table, {}), 0) << c.name;
        ASSERT_EQ(table.services.size(), 1u);
        EXPECT_EQ(table.services[0].othername, c.expectedName);
        EXPECT_EQ(table.services[0].sharedir, c.expectedFolder);
    }
}

} // namespace
} // namespace lp
