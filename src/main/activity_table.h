#pragma once
// The activity log as a table for the Activity window: one row per entry, newest first, in the
// columns time, folder, rule, action, file and destination.

#include "engine/activity_entry.h"

#include <QAbstractTableModel>
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

    // Entries newer than every one held, oldest first; they go to the top.
    void append(std::vector<ActivityEntry> entries);
    // Replaces everything held.
    void reset(std::vector<ActivityEntry> entries);

    const ActivityEntry& entryAt(int row) const;
    // Whether a newer entry is the undo of the one in that row.
    bool undoneLater(int row) const;

private:
    std::vector<ActivityEntry> entries_; // oldest first: the rows count from the back
};

// What the action column says: "Move", "Copy", "Delete", "Move to trash", "Launch", "Undo move",
// "Undo copy", with " (failed)" after one that failed.
QString activityActionText(const ActivityEntry& entry);

} // namespace lp
