// The desktop program's logging: the core's warnings come out under larchpost.core, the desktop's
// own under larchpost.desktop, and debug lines only when asked for.

#include "desktop/log_categories.h"
#include "desktop/settings_store.h"
#include "desktop/sorting_cycle.h"
#include "desktop/stored_options.h"
#include "globals/log_sink.h"
#include "support/scoped_config_home.h"

#include <gtest/gtest.h>

#include <QString>
#include <vector>

namespace lp {
namespace {

struct Logged {
    QtMsgType type;
    QString category;
    QString message;
};

std::vector<Logged>& logged() {
    static std::vector<Logged> lines;
    return lines;
}

void keep(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    logged().push_back({type, QString::fromUtf8(context.category), message});
}

// Qt's messages kept instead of printed, and the core's sink and the filter rules put back.
class CapturedQtLog {
public:
    CapturedQtLog() : previous_(qInstallMessageHandler(keep)) { logged().clear(); }
    ~CapturedQtLog() {
        qInstallMessageHandler(previous_);
        SetLogSink({});
        QLoggingCategory::setFilterRules(QString());
    }
    CapturedQtLog(const CapturedQtLog&) = delete;
    CapturedQtLog& operator=(const CapturedQtLog&) = delete;

private:
    QtMessageHandler previous_;
};

TEST(LogCategories, CoreWarningsGoToTheirCategoryAndDebugLinesFollowVerbose) {
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        GTEST_SKIP() << "QT_LOGGING_RULES has the last word over --verbose";
    const struct {
        bool verbose;
        bool debugShown;
    } cases[] = {{false, false}, {true, true}};
    for (const auto& c : cases) {
        CapturedQtLog capture;
        SetUpLogging(c.verbose);
        LogWarning("larchpost: the activity log cannot be written");
        qCDebug(lcDesktop) << "a debug line";
        ASSERT_FALSE(logged().empty()) << "verbose " << c.verbose;
        EXPECT_EQ(logged()[0].type, QtWarningMsg);
        EXPECT_EQ(logged()[0].category, QStringLiteral("larchpost.core"));
        EXPECT_EQ(logged()[0].message, QStringLiteral("the activity log cannot be written"))
            << "the category names the program; the line does not again";
        EXPECT_EQ(logged().size(), c.debugShown ? 2U : 1U) << "verbose " << c.verbose;
    }
}

// A stored option the cycle does not understand is a warning of the desktop's, under its category
// (so that QT_LOGGING_RULES can silence it), said in the first cycle and not again in each one.
TEST(LogCategories, TheCyclesWordOnAStoredOptionGoesToTheDesktopCategoryOnce) {
    test::ScopedConfigHome home;
    settingsStore().set(StoredOptionsKeyPath(), QStringLiteral("NameClash"),
                        QStringLiteral("sideways"));
    ASSERT_TRUE(settingsStore().flush());
    CapturedQtLog capture;
    SetUpLogging(false);
    const DesktopSortingCycle cycle(home.path().toStdString() + "/activity.log");
    ServiceTable table;
    const struct {
        bool firstCycle;
        std::size_t warnings;
    } cycles[] = {{true, 1}, {false, 1}, {false, 1}};
    for (const auto& c : cycles) {
        cycle(table, c.firstCycle);
        EXPECT_EQ(logged().size(), c.warnings);
    }
    ASSERT_EQ(logged().size(), 1U);
    EXPECT_EQ(logged()[0].type, QtWarningMsg);
    EXPECT_EQ(logged()[0].category, QStringLiteral("larchpost.desktop"));
    EXPECT_TRUE(logged()[0].message.contains(QStringLiteral("NameClash=sideways")))
        << logged()[0].message.toStdString();
    EXPECT_FALSE(logged()[0].message.startsWith(QStringLiteral("larchpost: ")))
        << logged()[0].message.toStdString();
}

} // namespace
} // namespace lp
