#pragma once
// Desktop notifications of what the cycles did, read from the activity log as it grows: an
// operation's failure (the log holds it once, not at every cycle while it keeps failing), and,
// when chosen, every file sorted. They go to the desktop's notification service, which shows them
// with or without a notification area; where there is no service, to the notification area's own
// messages; with neither, the log alone has them. A click on one opens the Activity window on its
// line.

#include "desktop_notifier.h"
#include "engine/activity_tail.h"

#include <QObject>
#include <optional>
#include <string>

class QSystemTrayIcon;

namespace lp {

// The notification's title and text for an entry of the log: the operation, the file and why it
// failed ("Move failed: song.flac", "No space left on device").
struct NoticeText {
    QString title;
    QString body;
};
NoticeText noticeFor(const ActivityEntry& entry);

class OperationNotices : public QObject {
    Q_OBJECT
public:
    // Follows the log at logPath from its present end; icon's messages are the fallback.
    OperationNotices(std::string logPath, QSystemTrayIcon& icon, QObject* parent = nullptr);

    // Shows what the log gained since the last look, as the stored options choose.
    void look();
    // The entry of the notification shown last, if any: asked of the service, or shown in the
    // notification area.
    const std::optional<ActivityEntry>& lastShown() const { return lastShown_; }

signals:
    // The user clicked the notification of that entry.
    void entryClicked(const ActivityEntry& entry);

private:
    // In the notification area, when the desktop has no notification service.
    void showInTray(const NoticeText& text, const ActivityEntry& entry);

    ActivityLogTail tail_;
    DesktopNotifier notifier_;
    QSystemTrayIcon& icon_;
    std::size_t seen_ = 0; // entries read so far, to tell the new ones after the log is rotated
    std::optional<ActivityEntry> lastShown_;
    std::optional<ActivityEntry> lastInTray_; // the entry the tray's message click opens
};

} // namespace lp
