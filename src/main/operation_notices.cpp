#include "operation_notices.h"

#include "activity_table.h"
#include "desktop/registry_settings.h"
#include "desktop/stored_options.h"
#include "engine/failure_reason.h"

#include <QSystemTrayIcon>
#include <filesystem>

namespace lp {

namespace {

// The operation's file: the source of a move or copy, the file of the others.
QString fileOf(const ActivityEntry& entry) {
    if (entry.values.empty())
        return QString();
    return QString::fromStdString(std::filesystem::path(entry.values.front()).filename().string());
}

bool tellsOfAFile(const ActivityEntry& entry) {
    return entry.action == "move" || entry.action == "copy" || entry.action == "delete" ||
           entry.action == "trash" || entry.action == "launch";
}

// A copy stopped because the user asked the program to end (or the session ended) is no failure
// to tell: its line in the log says it was stopped, and the next start tries the file again.
bool stoppedByRequest(const ActivityEntry& entry) {
    return entry.failed && entry.reason == kStoppedAtEnd;
}

} // namespace

NoticeText noticeFor(const ActivityEntry& entry) {
    QString action = activityActionText(entry);
    if (entry.failed) {
        const QString why = entry.reason.empty() ? QStringLiteral("The reason is not known.")
                                                 : QString::fromStdString(entry.reason);
        return {QStringLiteral("Larchpost: %1: %2").arg(action, fileOf(entry)),
                QStringLiteral("%1\n(%2, rule \"%3\")")
                    .arg(why, QString::fromStdString(entry.folder),
                         QString::fromStdString(entry.rule))};
    }
    return {QStringLiteral("Larchpost: %1: %2").arg(action, fileOf(entry)),
            QStringLiteral("%1, rule \"%2\"")
                .arg(QString::fromStdString(entry.folder), QString::fromStdString(entry.rule))};
}

OperationNotices::OperationNotices(std::string logPath, QSystemTrayIcon& icon, QObject* parent)
    : QObject(parent), tail_(std::move(logPath)), icon_(icon) {
    seen_ = tail_.read().entries.size(); // what was there before is no news
    connect(&icon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (lastInTray_)
            emit entryClicked(*lastInTray_);
    });
}

void OperationNotices::look() {
    ActivityUpdate update = tail_.read();
    std::size_t first = 0;
    if (update.restarted) {
        // The whole log again, the rotated part included: what follows the entries seen is new.
        first = std::min(seen_, update.entries.size());
        seen_ = update.entries.size();
    } else {
        seen_ += update.entries.size();
    }
    const StoredOptions options = ReadStoredOptions(settingsStore(), {});
    for (std::size_t i = first; i < update.entries.size(); ++i) {
        const ActivityEntry& entry = update.entries[i];
        if (!tellsOfAFile(entry) || entry.undo || stoppedByRequest(entry))
            continue;
        if (entry.failed ? !options.notifyFailures : !options.notifyEverySorted)
            continue;
        const NoticeText text = noticeFor(entry);
        lastShown_ = entry;
        notifier_.show(
            text.title, text.body, entry.failed, [this, entry] { emit entryClicked(entry); },
            [this, text, entry] { showInTray(text, entry); });
    }
}

void OperationNotices::showInTray(const NoticeText& text, const ActivityEntry& entry) {
    // Without a notification area the message goes nowhere: the log has the line.
    icon_.showMessage(text.title, text.body,
                      entry.failed ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    lastInTray_ = entry;
}

} // namespace lp
