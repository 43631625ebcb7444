#include "sort_now_dialog.h"

#include "engine/operation_report.h"
#include "widgets/keyboard_access.h"
#include "widgets/placement.h"
#include "widgets/size_memory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <numeric>
#include <tuple>

namespace lp {

namespace {

constexpr int kLineRole = Qt::UserRole; // the line's position in the preview

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

QString operationName(const std::string& action, const std::vector<std::string>& values) {
    if (RenamesInPlace(action, values))
        return QStringLiteral("Rename");
    if (action == "move")
        return QStringLiteral("Move");
    if (action == "copy")
        return QStringLiteral("Copy");
    if (action == "delete")
        return QStringLiteral("Delete");
    if (action == "trash")
        return QStringLiteral("Move to trash");
    if (action == "rename")
        return QStringLiteral("Rename");
    if (action == "make-folder")
        return QStringLiteral("Make folders");
    return QStringLiteral("Launch");
}

// Where a move or copy would put the file, or the program with its arguments.
QString targetOf(const SortNowLine& line) {
    if ((line.action == "move" || line.action == "copy") && line.values.size() == 2)
        return text(line.values[1]);
    if (line.action != "launch")
        return {};
    QStringList words;
    for (const std::string& value : line.values)
        words << text(value);
    return words.join(QLatin1Char(' '));
}

QString plural(std::size_t count, const char* one, const char* many) {
    return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : many);
}

} // namespace

TfrmSortNow::TfrmSortNow(CycleThread& cycles, SortNowWork work, const rServiceRules& folder,
                         QWidget* parent)
    : QDialog(parent), cycles_(cycles), work_(std::move(work)),
      folderName_(text(folder.othername.empty() ? folder.sharedir : folder.othername)) {
    setObjectName(QStringLiteral("frmSortNow"));
    setWindowTitle(QStringLiteral("Sort Now: ") + folderName_);
    resize(860, 420);

    lblSortNow = new QLabel(this);
    lblSortNow->setObjectName(QStringLiteral("lblSortNow"));
    lblSortNow->setWordWrap(true);
    lvSortNow = new QTreeWidget(this);
    lvSortNow->setObjectName(QStringLiteral("lvSortNow"));
    lvSortNow->setRootIsDecorated(false);
    lvSortNow->setUniformRowHeights(true);        // a large folder's lines are laid out fast
    lvSortNow->setTextElideMode(Qt::ElideMiddle); // a long name keeps its start and extension
    lvSortNow->setHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("Rule"), QStringLiteral("Operation"),
         QStringLiteral("Destination or program"), QStringLiteral("Foreseen failure")});
    lvSortNow->header()->setStretchLastSection(true);
    pbSortNow = new QProgressBar(this);
    pbSortNow->setObjectName(QStringLiteral("pbSortNow"));
    pbSortNow->hide();
    btnSort = new QPushButton(QStringLiteral("&Sort"), this);
    btnSort->setObjectName(QStringLiteral("btnSort"));
    btnSort->setEnabled(false);
    btnSort->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("&Cancel"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pbSortNow, 1);
    buttons->addStretch();
    buttons->addWidget(btnSort);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSortNow);
    layout->addWidget(lvSortNow, 1);
    layout->addLayout(buttons);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &TfrmSortNow::showProgress);
    connect(btnSort, &QPushButton::clicked, this, &TfrmSortNow::btnSortClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmSortNow::reject);
    connect(lvSortNow, &QTreeWidget::itemChanged, this, &TfrmSortNow::lvSortNowItemChanged);

    lblSortNow->setText(QStringLiteral("Working out what the rules of \"%1\" would do to the files "
                                       "in it now...")
                            .arg(folderName_));
    placeDialogOverMainWindow(*this);
    rememberWindowSize(*this, QStringLiteral("SortNow"));
    // Sort switches itself off once it is pressed: the focus goes to Cancel, not out of reach.
    keepFocusWhenDisabled(*this);

    // The preview lists the folder and looks at every file: on the cycle thread, after the
    // cycle in progress, never on the window's.
    QPointer<TfrmSortNow> self(this);
    cycles_.runJob(
        [shared = shared_, preview = work_.preview, folder, thread = &cycles_] {
            try {
                // What the rules put in the folder themselves is theirs, as in the cycles.
                rServiceRules withPlaced = folder;
                withPlaced.renamedInPlace = thread->placedInFolder(folder.sharedir);
                shared->preview = preview(withPlaced);
                const std::set<std::string> known = thread->knownInFolder(folder.sharedir);
                for (const auto& file : shared->preview.files)
                    if (!known.contains(file.first))
                        shared->newToCycles.insert(file.first);
            } catch (const std::exception& error) {
                shared->failure = error.what();
            }
        },
        [self] {
            if (self)
                self->showPreview();
        });
}

TfrmSortNow::~TfrmSortNow() {
    shared_->cancel.store(true); // a job still queued begins nothing more
}

void TfrmSortNow::showPreview() {
    const SortNowPreview& preview = shared_->preview;
    if (!shared_->failure.empty() || !preview.listed) {
        lblSortNow->setText(QStringLiteral("The folder \"%1\" (%2) could not be read%3.")
                                .arg(folderName_, text(preview.folder.sharedir),
                                     shared_->failure.empty()
                                         ? QString()
                                         : QStringLiteral(": ") + text(shared_->failure)));
        btnClose->setText(QStringLiteral("&Close"));
        return;
    }
    const std::set<SortNowChoice> unfailing = UnfailingChoices(preview);
    std::set<std::string> files;
    {
        const QSignalBlocker quiet(lvSortNow);
        // A file's operations together, in the order they would be made.
        std::vector<std::size_t> order(preview.lines.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::ranges::stable_sort(order, {}, [&](std::size_t i) {
            return std::tie(preview.lines[i].file, preview.lines[i].rule);
        });
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(preview.lines.size()));
        for (const std::size_t i : order) {
            const SortNowLine& line = preview.lines[i];
            auto* item = new QTreeWidgetItem(
                {line.file.empty() ? QStringLiteral("(once for the rule)") : text(line.file),
                 text(line.ruleName), operationName(line.action, line.values), targetOf(line),
                 text(line.reason)});
            item->setData(FileColumn, kLineRole, static_cast<qulonglong>(i));
            for (int column : {FileColumn, TargetColumn, FailureColumn})
                item->setToolTip(column, item->text(column));
            if (line.file.empty())
                item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            else
                files.insert(line.file);
            item->setCheckState(FileColumn, unfailing.contains({line.file, line.rule})
                                                ? Qt::Checked
                                                : Qt::Unchecked);
            items << item;
        }
        lvSortNow->addTopLevelItems(items);
    }
    // A column fits its contents up to a share of the list, so a name of 255 bytes leaves the
    // other columns in sight; the whole text is in the tooltip.
    const int widest = std::max(120, lvSortNow->viewport()->width() / 3);
    for (int column : {FileColumn, RuleColumn, OperationColumn, TargetColumn}) {
        lvSortNow->resizeColumnToContents(column);
        lvSortNow->setColumnWidth(column, std::min(lvSortNow->columnWidth(column), widest));
    }
    followRuleLines();
    if (preview.lines.empty()) {
        lblSortNow->setText(
            QStringLiteral("The rules of \"%1\" would do nothing to the files in it now.")
                .arg(folderName_));
        btnClose->setText(QStringLiteral("&Close"));
        return;
    }
    lblSortNow->setText(
        QStringLiteral("What the rules of \"%1\" would do to the files in it now, each taken as if "
                       "it had just arrived: %2 on %3. Untick what should not be done; the "
                       "operations of one rule on one file are ticked together. Operations "
                       "foreseen to fail start unticked. Each file is looked at again before it "
                       "is sorted: one that changed since is left alone.")
            .arg(folderName_, plural(preview.lines.size(), "operation", "operations"),
                 plural(files.size(), "file", "files")));
    btnSort->setEnabled(!chosen().empty());
}

std::set<SortNowChoice> TfrmSortNow::chosen() const {
    std::set<SortNowChoice> chosen;
    const SortNowPreview& preview = shared_->preview;
    for (int row = 0; row < lvSortNow->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = lvSortNow->topLevelItem(row);
        const SortNowLine& line =
            preview.lines[item->data(FileColumn, kLineRole).value<qulonglong>()];
        if (!line.file.empty() && item->checkState(FileColumn) == Qt::Checked)
            chosen.insert({line.file, line.rule});
    }
    return chosen;
}

void TfrmSortNow::lvSortNowItemChanged(QTreeWidgetItem* item, int column) {
    if (syncing_ || column != FileColumn || sorting_)
        return;
    const QScopedValueRollback guard(syncing_, true);
    const SortNowPreview& preview = shared_->preview;
    const SortNowLine& changed =
        preview.lines[item->data(FileColumn, kLineRole).value<qulonglong>()];
    const Qt::CheckState state = item->checkState(FileColumn);
    // A rule's plan for a file is kept or left out whole: never a delete without its copy.
    for (int row = 0; row < lvSortNow->topLevelItemCount(); ++row) {
        QTreeWidgetItem* other = lvSortNow->topLevelItem(row);
        const SortNowLine& line =
            preview.lines[other->data(FileColumn, kLineRole).value<qulonglong>()];
        if (line.file == changed.file && line.rule == changed.rule)
            other->setCheckState(FileColumn, state);
    }
    followRuleLines();
    btnSort->setEnabled(!chosen().empty());
}

void TfrmSortNow::followRuleLines() {
    const QScopedValueRollback guard(syncing_, true);
    const std::set<SortNowChoice> kept = chosen();
    const SortNowPreview& preview = shared_->preview;
    for (int row = 0; row < lvSortNow->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = lvSortNow->topLevelItem(row);
        const SortNowLine& line =
            preview.lines[item->data(FileColumn, kLineRole).value<qulonglong>()];
        if (!line.file.empty())
            continue;
        const bool any = std::ranges::any_of(
            kept, [&](const SortNowChoice& choice) { return choice.second == line.rule; });
        item->setCheckState(FileColumn, any ? Qt::Checked : Qt::Unchecked);
    }
}

void TfrmSortNow::btnSortClick() {
    const std::set<SortNowChoice> choices = chosen();
    if (choices.empty() || sorting_)
        return;
    sorting_ = true;
    btnSort->setEnabled(false);
    lvSortNow->setEnabled(false);
    btnClose->setText(QStringLiteral("&Cancel"));
    pbSortNow->setRange(0, 0); // busy until the first operation tells how many there are
    pbSortNow->show();
    lblSortNow->setText(QStringLiteral("Sorting the files of \"%1\"...").arg(folderName_));
    progressTimer_->start();
    QPointer<TfrmSortNow> self(this);
    CycleThread* cycles = &cycles_;
    cycles_.runJob(
        [shared = shared_, carryOut = work_.carryOut, choices, cycles] {
            const SortNowProgress progress{
                [&] { return shared->cancel.load() || cycles->stopping(); },
                [&](std::size_t done, std::size_t total) {
                    shared->total.store(total);
                    shared->done.store(done);
                }};
            try {
                const std::set<std::string> known =
                    cycles->knownInFolder(shared->preview.folder.sharedir);
                for (const std::string& name : shared->newToCycles)
                    if (known.contains(name))
                        shared->preview.sortedSince.insert(name);
                shared->outcome = carryOut(shared->preview, choices, progress);
            } catch (const std::exception& error) {
                shared->failure = error.what();
            }
            cycles->recordKnown(PreviewedFiles(shared->preview), shared->outcome.placed);
        },
        [self] {
            if (self)
                self->showOutcome();
        },
        true);
}

void TfrmSortNow::showProgress() {
    const std::size_t total = shared_->total.load();
    if (total == 0)
        return;
    pbSortNow->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    pbSortNow->setValue(static_cast<int>(std::min(shared_->done.load(), total)));
}

void TfrmSortNow::showOutcome() {
    sorting_ = false;
    progressTimer_->stop();
    showProgress();
    const SortNowOutcome& outcome = shared_->outcome;
    QString summary =
        outcome.cancelled ? QStringLiteral("Cancelled: ") : QStringLiteral("Sorted: ");
    summary += plural(outcome.done, "operation", "operations") + QStringLiteral(" carried out");
    if (outcome.failed > 0)
        summary += QStringLiteral(", %1 failed or refused").arg(outcome.failed);
    summary += QStringLiteral(". Each is in the Activity window (File > Activity), where a move "
                              "or copy can be undone.");
    if (!shared_->failure.empty())
        summary += QStringLiteral(" Sorting stopped: ") + text(shared_->failure);
    lblSortNow->setText(summary);
    btnClose->setText(QStringLiteral("&Close"));
    btnClose->setEnabled(true);
}

void TfrmSortNow::reject() {
    if (sorting_) {
        // Stops after the files begun; the dialog closes once the run has ended.
        shared_->cancel.store(true);
        btnClose->setEnabled(false);
        lblSortNow->setText(QStringLiteral("Cancelling: the files already begun are finished..."));
        return;
    }
    shared_->cancel.store(true);
    QDialog::reject();
}

} // namespace lp
