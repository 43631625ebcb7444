#pragma once
// The activity log as a table for the Activity window: one row per entry, newest first, in the
// columns time, folder, rule, action, file and destination; a failure's action says why in its
// tooltip. Lines may come from runs in other
// time zones: each is ordered by its instant and shown in the viewer's local time. A long
// operation under way has a row of its own at the top, in italics, until its line is logged.

#include "desktop/cycle_thread.h"
#include "engine/activity_entry.h"

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

namespace lp {

class ActivityTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Folder, Rule, Action, File, Destination, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Entries read after those held, in the log's order; each takes its place by its instant,
    // which for the lines of a running program is the top.
    void append(std::vector<ActivityEntry> entries);
    // Replaces everything held; entries in the log's order.
    void reset(std::vector<ActivityEntry> entries);
    // The row of the operation under way: added at the top when one is, its figure changed in
    // place as it goes on, taken away when nothing is.
    void showInProgress(const OperationProgress& now);
    // Whether that row is the operation under way rather than a line of the log.
    bool inProgress(int row) const { return inProgress_ && row == 0; }

    const ActivityEntry& entryAt(int row) const;
    // Whether a newer entry is the undo of the one in that row.
    bool undoneLater(int row) const;

private:
    struct Row {
        ActivityEntry entry;
        qint64 instant = 0; // milliseconds since the epoch
        QString shownTime;
    };
    // A time that cannot be read keeps its line's place in the log: it takes the instant of the
    // line before it.
    std::vector<Row> toRows(std::vector<ActivityEntry> entries) const;
    void insertRow(Row row);
    const Row& shownRow(int row) const;
    int firstLogRow() const { return inProgress_ ? 1 : 0; }

    std::vector<Row> rows_; // oldest first, by instant: the table's rows count from the back
    std::optional<Row> inProgress_; // the operation under way, above every line of the log
    OperationProgress progress_;
};

// What the action column says: "Move", "Copy", "Delete", "Move to trash", "Launch", "Undo move",
// "Undo copy", with " (failed)" after one that failed.
QString activityActionText(const ActivityEntry& entry);

} // namespace lp
