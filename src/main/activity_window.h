#pragma once
// The Activity window: what Larchpost did to files, read from the activity log (earlier runs and
// the headless program's included), newest first, with a filter over every column, kept up to
// date while it is open, and Undo for the selected entries. A long operation under way is the
// top row, in italics, with how far it has come; its log line takes its place when it ends.

#include "desktop/cycle_thread.h"
#include "engine/activity_tail.h"
#include "platform/problem.h"

#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace lp {

class ActivityTableModel;

class TfrmActivity : public QWidget {
    Q_OBJECT
public:
    // Lists the log at logPath and its rotated files.
    explicit TfrmActivity(std::string logPath, QWidget* parent = nullptr);

    QLineEdit* edFilter = nullptr;
    QTableView* tvActivity = nullptr;
    QPushButton* btnUndo = nullptr;
    QLabel* lblStatus = nullptr;

    // The entry shown in that row of the table (filtered, newest first).
    const ActivityEntry& shownEntry(int row) const;
    int shownRows() const;
    // Selects the row of that entry and scrolls to it (a notification's click); the filter is
    // cleared first, so that the row is shown. False when the log no longer holds it.
    bool showEntry(const ActivityEntry& entry);

    // Who keeps the monitored folders' known files, told of each undo done here, so that the next
    // cycle sees the lists as the undo left them. Without one, the known files of lp::app()'s
    // table follow.
    void setUndoRecorder(std::function<void(const ActivityEntry&)> recorder) {
        undoRecorder_ = std::move(recorder);
    }

    // While a cycle runs, Undo waits: a file put back meanwhile could be listed by that cycle
    // before it hears of the undo, and taken for a new one to sort again.
    void setSortingBusy(bool busy);
    // The operation under way, or none.
    void showProgress(const OperationProgress& now);

public slots:
    // Reads what was appended to the log since the last read.
    void refresh();
    // Brings the newest entries into view with nothing selected, as when the window first opens.
    void showNewest();
    void edFilterChange(const QString& text);
    // Undoes the selected entries, newest first, logs each attempt and says what was refused.
    void btnUndoClick();

private:
    void watchLog();
    // While the user has a selection or has scrolled away from the top, rows that arrive must not
    // move the visible ones under the pointer: the row at the top stays at the top.
    void holdVisibleRows();
    void restoreVisibleRows();
    // Undo is on while a selected entry can be undone; otherwise the status line says why not,
    // or else why the log could not be read.
    void enableUndo();
    std::vector<int> selectedSourceRows() const;
    // What the status line says when nothing was asked: why the log was not read whole, and the
    // rules that are passed over for holding what this program does not know.
    QString quietStatus() const;
    // Why the entry in that row of the model cannot be undone, or nothing when it can.
    Problem whyNotUndoable(int sourceRow) const;

    std::string logPath_;
    bool sortingBusy_ = false;
    ActivityLogTail tail_;
    ActivityTableModel* model_ = nullptr;
    QSortFilterProxyModel* filter_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QString readProblem_; // why the last read missed a file of the log, shown when nothing else is
    QPersistentModelIndex topRow_; // the row to keep at the top while rows are inserted
    std::function<void(const ActivityEntry&)> undoRecorder_;
};

} // namespace lp
