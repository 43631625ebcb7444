#include "activity_table.h"

#include "engine/undo.h"

#include <QStringList>
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

// The written time without its 'T' and offset, which the tooltip keeps.
QString shownTime(const std::string& written) {
    QString shown = text(written).left(19);
    if (shown.size() > 10 && shown.at(10) == QLatin1Char('T'))
        shown[10] = QLatin1Char(' ');
    return shown;
}

} // namespace

QString activityActionText(const ActivityEntry& entry) {
    QString action;
    if (entry.undo)
        action = entry.action == "move" ? QStringLiteral("Undo move") : QStringLiteral("Undo copy");
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
    else
        action = text(entry.action);
    if (entry.failed)
        action += QStringLiteral(" (failed)");
    return action;
}

int ActivityTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int ActivityTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const ActivityEntry& ActivityTableModel::entryAt(int row) const {
    return entries_[entries_.size() - 1 - static_cast<std::size_t>(row)];
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
    const ActivityEntry& entry = entryAt(index.row());
    if (role == Qt::ToolTipRole) {
        if (index.column() == Time)
            return text(entry.time);
        return data(index, Qt::DisplayRole);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Time:
        return shownTime(entry.time);
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

void ActivityTableModel::append(std::vector<ActivityEntry> entries) {
    if (entries.empty())
        return;
    beginInsertRows({}, 0, static_cast<int>(entries.size()) - 1);
    entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
    endInsertRows();
}

void ActivityTableModel::reset(std::vector<ActivityEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

} // namespace lp
