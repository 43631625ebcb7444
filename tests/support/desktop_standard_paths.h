#pragma once
// Qt's standard paths as on a desktop, from HOME and the XDG_* variables, for one scope. The
// test mains keep Qt in its test mode (everything under ~/.qttest of the throwaway home); a test
// of where the program finds the user's folders through those variables turns it off meanwhile.

#include <QStandardPaths>

namespace lp::test {

class DesktopStandardPaths {
public:
    DesktopStandardPaths() { QStandardPaths::setTestModeEnabled(false); }
    ~DesktopStandardPaths() { QStandardPaths::setTestModeEnabled(before_); }
    DesktopStandardPaths(const DesktopStandardPaths&) = delete;
    DesktopStandardPaths& operator=(const DesktopStandardPaths&) = delete;

private:
    const bool before_ = QStandardPaths::isTestModeEnabled();
};

} // namespace lp::test
