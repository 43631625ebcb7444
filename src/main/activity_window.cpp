#include "activity_window.h"

#include "activity_table.h"
#include "desktop/log_categories.h"
#include "engine/activity_log.h"
#include "engine/passed_over_rules.h"
#include "engine/undo.h"
#include "globals/app_globals.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace lp {

TfrmActivity::TfrmActivity(std::string logPath, QWidget* parent)
    : QWidget(parent, Qt::Window), logPath_(std::move(logPath)), tail_(logPath_) {
    setObjectName(QStringLiteral("frmActivity"));
    setWindowTitle(QStringLiteral("Larchpost Activity"));
    resize(900, 420);
    fitWindowOnScreen(*this);

    edFilter = new QLineEdit(this);
    edFilter->setObjectName(QStringLiteral("edFilter"));
    edFilter->setPlaceholderText(QStringLiteral("Filter"));
    edFilter->setClearButtonEnabled(true);

    model_ = new ActivityTableModel(this);
    filter_ = new QSortFilterProxyModel(this);
    filter_->setSourceModel(model_);
    filter_->setFilterKeyColumn(-1); // a match in any column shows the row
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    tvActivity = new QTableView(this);
    tvActivity->setObjectName(QStringLiteral("tvActivity"));
    tvActivity->setModel(filter_);
    tvActivity->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvActivity->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvActivity->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvActivity->setWordWrap(false);
    // Long paths keep their file names in sight.
    tvActivity->setTextElideMode(Qt::ElideMiddle);
    tvActivity->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tvActivity->verticalHeader()->hide();
    // The paths share what the other columns leave.
    QHeaderView* header = tvActivity->horizontalHeader();
    header->setSectionResizeMode(ActivityTableModel::File, QHeaderView::Stretch);
    header->setSectionResizeMode(ActivityTableModel::Destination, QHeaderView::Stretch);
    tvActivity->setColumnWidth(ActivityTableModel::Time, 150);
    tvActivity->setColumnWidth(ActivityTableModel::Folder, 100);
    tvActivity->setColumnWidth(ActivityTableModel::Rule, 150);
    tvActivity->setColumnWidth(ActivityTableModel::Action, 110);

    btnUndo = new QPushButton(QStringLiteral("&Undo"), this);
    btnUndo->setObjectName(QStringLiteral("btnUndo"));
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatus, 1);
    bottom->addWidget(btnUndo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edFilter);
    layout->addWidget(tvActivity, 1);
    layout->addLayout(bottom);

    // A window of its own, closed by Escape as the dialogs are.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    connect(edFilter, &QLineEdit::textChanged, this, &TfrmActivity::edFilterChange);
    connect(btnUndo, &QPushButton::clicked, this, &TfrmActivity::btnUndoClick);
    connect(tvActivity->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmActivity::enableUndo);
    // Connected after the view's own handlers, so the view knows the new rows when they run.
    connect(filter_, &QAbstractItemModel::rowsAboutToBeInserted, this,
            &TfrmActivity::holdVisibleRows);
    connect(filter_, &QAbstractItemModel::rowsInserted, this, &TfrmActivity::restoreVisibleRows);
    // The row of an operation under way goes from above them as the operation ends.
    connect(filter_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &TfrmActivity::holdVisibleRows);
    connect(filter_, &QAbstractItemModel::rowsRemoved, this, &TfrmActivity::restoreVisibleRows);

    watchLog();
    refresh();
}

void TfrmActivity::watchLog() {
    watcher_ = new QFileSystemWatcher(this);
    if (logPath_.empty())
        return; // no user state folder: nothing to watch, and the status line says so
    // The folder tells of a log created or rotated, the file of lines appended to it. The folder
    // is made so that it can be watched before the first cycle writes anything.
    const QString file = QString::fromStdString(logPath_);
    const QString folder = QFileInfo(file).absolutePath();
    QDir().mkpath(folder);
    watcher_->addPath(folder);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &TfrmActivity::refresh);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &TfrmActivity::refresh);
}

void TfrmActivity::refresh() {
    if (logPath_.empty()) {
        lblStatus->setText(QStringLiteral("There is no activity log: the user's state folder is "
                                          "not known."));
        return;
    }
    ActivityUpdate update = tail_.read();
    readProblem_ = update.problem ? QString::fromStdString(*update.problem) : QString();
    if (update.restarted)
        model_->reset(std::move(update.entries));
    else
        model_->append(std::move(update.entries));
    // A rotated or newly made file is a new one to watch; the watcher forgets a renamed file.
    const QString file = QString::fromStdString(logPath_);
    if (QFileInfo::exists(file) && !watcher_->files().contains(file))
        watcher_->addPath(file);
    enableUndo();
}

void TfrmActivity::showNewest() {
    tvActivity->clearSelection();
    tvActivity->scrollToTop();
    enableUndo();
}

void TfrmActivity::holdVisibleRows() {
    // At the top with nothing selected, the newest entries are what the user watches: they push
    // the others down.
    const bool userPlaced = tvActivity->selectionModel()->hasSelection() ||
                            tvActivity->verticalScrollBar()->value() > 0;
    topRow_ = userPlaced ? QPersistentModelIndex(tvActivity->indexAt(QPoint(0, 0)))
                         : QPersistentModelIndex();
}

void TfrmActivity::restoreVisibleRows() {
    if (!topRow_.isValid())
        return;
    // The view lays its rows out later; the scroll range must know the new ones now.
    tvActivity->doItemsLayout();
    tvActivity->scrollTo(topRow_, QAbstractItemView::PositionAtTop);
    topRow_ = QPersistentModelIndex();
}

void TfrmActivity::edFilterChange(const QString& text) {
    filter_->setFilterFixedString(text);
    enableUndo();
}

int TfrmActivity::shownRows() const {
    return filter_->rowCount();
}

const ActivityEntry& TfrmActivity::shownEntry(int row) const {
    return model_->entryAt(filter_->mapToSource(filter_->index(row, 0)).row());
}

bool TfrmActivity::showEntry(const ActivityEntry& entry) {
    refresh();
    edFilter->clear();
    const auto same = [&](const ActivityEntry& shown) {
        return shown.time == entry.time && shown.folder == entry.folder &&
               shown.rule == entry.rule && shown.action == entry.action &&
               shown.values == entry.values && shown.failed == entry.failed;
    };
    for (int row = 0; row < shownRows(); ++row) {
        if (!same(shownEntry(row)))
            continue;
        tvActivity->selectRow(row);
        tvActivity->scrollTo(filter_->index(row, 0));
        return true;
    }
    return false;
}

std::vector<int> TfrmActivity::selectedSourceRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : tvActivity->selectionModel()->selectedRows())
        rows.push_back(filter_->mapToSource(index).row());
    // Newest first: a file moved twice goes back one step at a time.
    std::sort(rows.begin(), rows.end());
    return rows;
}

Problem TfrmActivity::whyNotUndoable(int sourceRow) const {
    if (model_->inProgress(sourceRow))
        return "This operation is still under way.";
    if (model_->undoneLater(sourceRow))
        return "This entry has already been undone.";
    return UndoImpossibleReason(model_->entryAt(sourceRow));
}

QString TfrmActivity::quietStatus() const {
    QStringList said;
    if (!readProblem_.isEmpty())
        said << readProblem_;
    for (const std::string& notice : PassedOverNotices(app().table))
        said << LogLineOf(notice);
    return said.join(QLatin1Char(' '));
}

void TfrmActivity::enableUndo() {
    const std::vector<int> rows = selectedSourceRows();
    std::optional<std::string> reason;
    bool undoable = false;
    for (int row : rows) {
        std::optional<std::string> why = whyNotUndoable(row);
        if (!why)
            undoable = true;
        else if (!reason)
            reason = std::move(why);
    }
    if (undoable && sortingBusy_) {
        undoable = false;
        reason = "Undo is possible again once the sorting under way has ended.";
    }
    btnUndo->setEnabled(undoable);
    const QString why = undoable || !reason ? QString() : QString::fromStdString(*reason);
    btnUndo->setToolTip(why);
    lblStatus->setText(why.isEmpty() ? quietStatus() : why);
}

void TfrmActivity::setSortingBusy(bool busy) {
    sortingBusy_ = busy;
    enableUndo();
}

void TfrmActivity::showProgress(const OperationProgress& now) {
    model_->showInProgress(now);
    enableUndo(); // a selected row of the operation may have become its line, or gone
}

void TfrmActivity::btnUndoClick() {
    if (sortingBusy_)
        return; // the button is off meanwhile; a click queued before that changes nothing
    // Copies: the log read after the undo changes the model under the rows.
    std::vector<std::pair<ActivityEntry, std::optional<std::string>>> chosen;
    for (int row : selectedSourceRows())
        chosen.emplace_back(model_->entryAt(row), whyNotUndoable(row));
    ActivityLog log(logPath_);
    int done = 0;
    QStringList problems;
    // The rules that may undo the undo: those that choose from every file in their folder.
    QStringList sortAgain;
    for (const auto& [entry, whyNot] : chosen) {
        UndoResult result;
        if (whyNot)
            result.message = *whyNot;
        else
            result = UndoActivity(entry, app().table);
        if (result.logged)
            log.append(*result.logged);
        if (result.done) {
            ++done;
            if (undoRecorder_)
                undoRecorder_(*result.logged);
            else
                RecordUndoInKnownFiles(app().table, *result.logged);
            if (const RuleRec* rule = RuleThatMaySortAgain(app().table, entry)) {
                const QString named = QStringLiteral("\"%1\" of \"%2\"")
                                          .arg(QString::fromStdString(rule->rulename),
                                               QString::fromStdString(entry.folder));
                if (!sortAgain.contains(named))
                    sortAgain << named;
            }
        } else {
            problems << QString::fromStdString(entry.values.empty() ? entry.action
                                                                    : entry.values.back()) +
                            QStringLiteral(": ") + QString::fromStdString(result.message);
        }
    }
    refresh();
    QString status = done == 1 ? QStringLiteral("1 entry undone.")
                               : QStringLiteral("%1 entries undone.").arg(done);
    // A rule on new files leaves a file that was put back alone; a rule on a file count or a
    // total size looks at every file each cycle and may well choose it again.
    if (sortAgain.size() == 1)
        status += QStringLiteral(" The rule %1 chooses from every file in its folder, not only "
                                 "new ones, so it may sort the file again at the next cycle: "
                                 "change the rule or pause sorting first.")
                      .arg(sortAgain.front());
    else if (sortAgain.size() > 1)
        status += QStringLiteral(" The rules %1 choose from every file in their folders, not "
                                 "only new ones, so they may sort the files again at the next "
                                 "cycle: change the rules or pause sorting first.")
                      .arg(sortAgain.join(QStringLiteral(", ")));
    if (const QString quiet = quietStatus(); !quiet.isEmpty())
        status += QLatin1Char(' ') + quiet;
    lblStatus->setText(status);
    if (!problems.isEmpty())
        showWarning(this,
                    (problems.size() == 1 ? QStringLiteral("This entry was not undone:\n")
                                          : QStringLiteral("These entries were not undone:\n")) +
                        problems.join(QLatin1Char('\n')),
                    std::nullopt);
}

} // namespace lp
