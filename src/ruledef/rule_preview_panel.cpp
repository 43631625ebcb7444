#include "rule_preview_panel.h"
#include "engine/file_facts.h"
#include "engine/system_environment.h"
#include "left_out_text.h"
#include "platform/local_time.h"
#include "working_rule.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace lp {

struct RulePreviewPanel::Shown {
    std::uint64_t request = 0;
    bool listed = false;
    bool failed = false; // the preview could not be worked out (out of memory)
    std::size_t entries = 0, taken = 0;
    bool passedOver = false; // conditions not yet given were left aside
    std::vector<std::pair<std::string, std::string>> rows; // name, why left out ("" when taken)
};

namespace {

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

} // namespace

RulePreview RulePreviewPanel::ListAndPreview(const TreeReach& reach,
                                             const std::string& excludefiles, const RuleRec& rule) {
    ReadingFileFacts facts(reach.folder);
    std::optional<std::vector<platform::FolderEntry>> listing;
    if (reach.levels == 0) {
        listing = platform::ListFolder(reach.folder, true);
    } else {
        // The files of the sub-folders, named by their path below the folder, as a cycle sees
        // them.
        SystemEnvironment environment;
        std::vector<platform::FolderEntry> entries;
        std::vector<std::string> unlisted;
        if (ListTree(reach, environment, entries, unlisted))
            listing = std::move(entries);
    }
    return PreviewRule(rule, excludefiles, std::move(listing), platform::LocalToday(), &facts);
}

RulePreviewPanel::RulePreviewPanel(QWidget* parent, Compute compute)
    : QWidget(parent), compute_(std::move(compute)) {
    setObjectName(QStringLiteral("RulePreviewPanel"));
    lblPreview = new QLabel(this);
    lblPreview->setObjectName(QStringLiteral("lblPreview"));
    lblPreview->setWordWrap(true);
    // Room for two lines from the start: a layout placed by hand does not ask a wrapped label
    // for its height.
    lblPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblPreview->setMinimumHeight(2 * lblPreview->fontMetrics().lineSpacing() + 2);
    lvPreview = new QTreeWidget(this);
    lvPreview->setObjectName(QStringLiteral("lvPreview"));
    lvPreview->setRootIsDecorated(false);
    lvPreview->setUniformRowHeights(true);
    lvPreview->setTextElideMode(Qt::ElideMiddle);
    lvPreview->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Taken, or why not")});
    lvPreview->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblPreview);
    layout->addWidget(lvPreview, 1);

    pause_ = new QTimer(this);
    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    connect(pause_, &QTimer::timeout, this, &RulePreviewPanel::refreshNow);
    lblPreview->setText(QStringLiteral("No folder chosen: there are no files to show."));
}

void RulePreviewPanel::setFolder(const rServiceRules* folder) {
    hasFolder_ = folder != nullptr && !folder->sharedir.empty();
    reach_ = hasFolder_ ? ReachOf(*folder) : TreeReach{};
    excludefiles_ = hasFolder_ ? folder->excludefiles : std::string();
    // Until the first look has ended, what is known is only whether there is a folder.
    lblPreview->setText(hasFolder_
                            ? QStringLiteral("Looking at the folder's files...")
                            : QStringLiteral("No folder chosen: there are no files to show."));
}

void RulePreviewPanel::ruleChanged(const RuleRec& rule) {
    rule_ = rule;
    latestShared_->store(++latest_); // what is under way now shows an older rule
    pause_->start();
}

void RulePreviewPanel::refreshNow() {
    pause_->stop();
    const std::uint64_t request = ++latest_;
    if (!hasFolder_) {
        lblPreview->setText(QStringLiteral("No folder chosen: there are no files to show."));
        lvPreview->clear();
        return;
    }
    lblPreview->setText(QStringLiteral("Looking at the folder's files..."));
    const RuleRec previewed = RuleAsPreviewed(rule_);
    const bool passedOver = previewed.condcnt != copyCountedParts(rule_).condcnt;
    QPointer<RulePreviewPanel> self(this);
    latestShared_->store(request);
    QThreadPool::globalInstance()->start([self, request, passedOver, previewed,
                                          latest = latestShared_, compute = compute_,
                                          reach = reach_, excludefiles = excludefiles_] {
        // Overtaken while it waited for a thread: a newer request shows the rule as it is.
        if (latest->load() != request)
            return;
        auto shown = std::make_shared<Shown>();
        shown->request = request;
        shown->passedOver = passedOver;
        try {
            const RulePreview preview = compute(reach, excludefiles, previewed);
            shown->listed = preview.listed;
            shown->entries = preview.entries.size();
            shown->taken = preview.taken;
            for (const std::size_t at : EntriesToShow(preview, kMostRows)) {
                const RulePreviewEntry& entry = preview.entries[at];
                shown->rows.emplace_back(entry.name, LeftOutText(entry, previewed));
            }
        } catch (const std::exception&) {
            shown->failed = true;
        }
        // The panel is looked at on its own thread only, where it may be gone by then.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, shown] {
                if (self)
                    self->show(*shown);
            },
            Qt::QueuedConnection);
    });
}

void RulePreviewPanel::show(const Shown& shown) {
    if (shown.request != latest_)
        return; // a newer edit overtook it
    lvPreview->clear();
    if (shown.failed)
        lblPreview->setText(QStringLiteral("The files could not be looked at (out of memory)."));
    else if (!shown.listed)
        lblPreview->setText(
            QStringLiteral("The folder cannot be listed: %1").arg(text(reach_.folder)));
    else
        showRows(shown);
    emit previewShown();
}

void RulePreviewPanel::showRows(const Shown& shown) {
    QString summary = QStringLiteral("The rule would take %1 of %2 files if they arrived now.")
                          .arg(shown.taken)
                          .arg(shown.entries);
    if (shown.passedOver)
        summary += QStringLiteral(" Conditions not yet specified are passed over.");
    lblPreview->setText(summary);
    lblPreview->setToolTip(QStringLiteral("Each file counted as if it had just arrived, as Sort "
                                          "Now counts them; nothing is done to any file."));
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(shown.rows.size()) + 1);
    for (const auto& [name, why] : shown.rows) {
        auto* item =
            new QTreeWidgetItem({text(name), why.empty() ? QStringLiteral("taken") : text(why)});
        item->setToolTip(FileColumn, text(name));
        item->setToolTip(VerdictColumn, item->text(VerdictColumn));
        items.push_back(item);
    }
    if (shown.entries > shown.rows.size()) {
        auto* more = new QTreeWidgetItem(
            {QStringLiteral("... and %1 more").arg(shown.entries - shown.rows.size()), QString()});
        more->setFlags(Qt::NoItemFlags);
        items.push_back(more);
    }
    lvPreview->addTopLevelItems(items);
    // Names as wide as they need, up to half the list: the reasons are the longer texts.
    lvPreview->resizeColumnToContents(FileColumn);
    const int half = lvPreview->viewport()->width() / 2;
    lvPreview->setColumnWidth(FileColumn,
                              std::clamp(lvPreview->columnWidth(FileColumn), half / 2, half));
}

} // namespace lp
