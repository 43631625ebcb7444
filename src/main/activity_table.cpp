#include "activity_table.h"

#include "engine/operation_report.h"
#include "engine/undo.h"

#include <QDateTime>
#include <QFont>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <utility>

namespace lp {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString value(const ActivityEntry& entry, std::size_t i) {
    return i < entry.values.size() ? text(entry.values[i]) : QString();
}

// A launch has no destination: its arguments stand there instead.
QString destinationText(const ActivityEntry& entry) {
    if (entry.action != "launch")
        return entry.action == "move" || entry.action == "copy" ? value(entry, 1) : QString();
    QStringList arguments;
    for (std::size_t i = 1; i < entry.values.size(); ++i)
        arguments << text(entry.values[i]);
    return arguments.join(QLatin1Char(' '));
}

constexpr auto earlier = [](const auto& a, const auto& b) { return a.instant < b.instant; };

QString shownTimeOf(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString activityActionText(const ActivityEntry& entry) {
    QString action;
    if (entry.undo && RenamesInPlace(entry.action, entry.values))
        action = QStringLiteral("Undo rename");
    else if (entry.undo)
        action = entry.action == "move" ? QStringLiteral("Undo move") : QStringLiteral("Undo copy");
    else if (RenamesInPlace(entry.action, entry.values) || entry.action == "rename")
        action = QStringLiteral("Rename");
    else if (entry.action == "move")
        action = QStringLiteral("Move");
    else if (entry.action == "copy")
        action = QStringLiteral("Copy");
    else if (entry.action == "delete")
        action = QStringLiteral("Delete");
    else if (entry.action == "trash")
        action = QStringLiteral("Move to trash");
    else if (entry.action == "launch")
        action = QStringLiteral("Launch");
    else if (entry.action == "retry")
        action = QStringLiteral("Will retry");
    else if (entry.action == "retry-hourly")
        action = QStringLiteral("Retrying hourly");
    else if (entry.action == "give-up")
        action = QStringLiteral("Given up");
    else if (entry.action == "make-folder")
        action = QStringLiteral("Make folders");
    else
        action = text(entry.action);
    if (entry.failed)
        action += QStringLiteral(" (failed)");
    return action;
}

int ActivityTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size()) + firstLogRow();
}

int ActivityTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const ActivityTableModel::Row& ActivityTableModel::shownRow(int row) const {
    if (inProgress(row))
        return *inProgress_;
    return rows_[rows_.size() - 1 - static_cast<std::size_t>(row - firstLogRow())];
}

const ActivityEntry& ActivityTableModel::entryAt(int row) const {
    return shownRow(row).entry;
}

bool ActivityTableModel::undoneLater(int row) const {
    const ActivityEntry& entry = entryAt(row);
    for (int newer = 0; newer < row; ++newer)
        if (IsUndoOf(entryAt(newer), entry))
            return true;
    return false;
}

QVariant ActivityTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& shown = shownRow(index.row());
    const ActivityEntry& entry = shown.entry;
    if (inProgress(index.row())) {
        // Marked apart from the lines of the log: in italics, and the figure in the action.
        if (role == Qt::FontRole) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        if (role == Qt::ToolTipRole)
            return QStringLiteral("In progress: ") + progress_.text();
        if (role == Qt::DisplayRole && index.column() == Action)
            return QStringLiteral("%1: %2%").arg(progress_.moving ? QStringLiteral("Moving")
                                                                  : QStringLiteral("Copying"),
                                                 QString::number(progress_.percent));
    }
    if (role == Qt::ToolTipRole) {
        if (index.column() == Time)
            return text(entry.time);
        if (index.column() == Action && !entry.reason.empty())
            return activityActionText(entry) + QStringLiteral(": ") + text(entry.reason);
        return data(index, Qt::DisplayRole);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Time:
        return shown.shownTime;
    case Folder:
        return text(entry.folder);
    case Rule:
        return text(entry.rule);
    case Action:
        return activityActionText(entry);
    case File:
        return value(entry, 0);
    case Destination:
        return destinationText(entry);
    default:
        return {};
    }
}

QVariant ActivityTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kHeaders[ColumnCount] = {"Time",   "Folder", "Rule",
                                                      "Action", "File",   "Destination"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}

std::vector<ActivityTableModel::Row>
ActivityTableModel::toRows(std::vector<ActivityEntry> entries) const {
    std::vector<Row> rows;
    rows.reserve(entries.size());
    qint64 before = rows_.empty() ? std::numeric_limits<qint64>::min() : rows_.back().instant;
    for (ActivityEntry& entry : entries) {
        Row row;
        const QDateTime written = QDateTime::fromString(text(entry.time), Qt::ISODate);
        if (written.isValid()) {
            row.instant = written.toMSecsSinceEpoch();
            row.shownTime = shownTimeOf(written);
        } else {
            row.instant = before;
            row.shownTime = text(entry.time);
        }
        before = row.instant;
        row.entry = std::move(entry);
        rows.push_back(std::move(row));
    }
    return rows;
}

void ActivityTableModel::insertRow(Row row) {
    // After every entry of the same instant: lines written in one second keep the log's order.
    const auto place = std::upper_bound(rows_.begin(), rows_.end(), row, earlier);
    const int shown = static_cast<int>(rows_.end() - place) + firstLogRow();
    beginInsertRows({}, shown, shown);
    rows_.insert(place, std::move(row));
    endInsertRows();
}

void ActivityTableModel::append(std::vector<ActivityEntry> entries) {
    if (entries.empty())
        return;
    if (rows_.empty()) {
        reset(std::move(entries));
        return;
    }
    std::vector<Row> rows = toRows(std::move(entries));
    std::stable_sort(rows.begin(), rows.end(), earlier);
    if (earlier(rows.front(), rows_.back())) {
        for (Row& row : rows)
            insertRow(std::move(row));
        return;
    }
    beginInsertRows({}, firstLogRow(), firstLogRow() + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ActivityTableModel::reset(std::vector<ActivityEntry> entries) {
    beginResetModel();
    // Cleared first: a time that cannot be read follows the line before it, not the old rows.
    rows_.clear();
    rows_ = toRows(std::move(entries));
    std::stable_sort(rows_.begin(), rows_.end(), earlier);
    endResetModel();
}

void ActivityTableModel::showInProgress(const OperationProgress& now) {
    if (!now.underWay()) {
        if (!inProgress_)
            return;
        beginRemoveRows({}, 0, 0);
        inProgress_.reset();
        progress_ = {};
        endRemoveRows();
        return;
    }
    const bool sameOperation =
        inProgress_ && progress_.source == now.source && progress_.destination == now.destination;
    progress_ = now;
    if (!sameOperation) {
        Row row;
        row.entry.action = now.moving ? "move" : "copy";
        row.entry.values = {now.source, now.destination};
        row.entry.folder = now.folder;
        row.entry.rule = now.rule;
        const QDateTime started = QDateTime::currentDateTime();
        row.instant = started.toMSecsSinceEpoch();
        row.shownTime = shownTimeOf(started);
        if (!inProgress_) {
            beginInsertRows({}, 0, 0);
            inProgress_ = std::move(row);
            endInsertRows();
            return;
        }
        inProgress_ = std::move(row);
    }
    // Changed in place: the view repaints one row and reads nothing else again.
    emit dataChanged(index(0, 0), index(0, ColumnCount - 1));
}

} // namespace lp
