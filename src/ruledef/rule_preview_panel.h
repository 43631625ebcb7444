#pragma once
// Beside the rule's sentence in the wizard: the files of the rule's folder that the rule as it
// stands would take now ("12 of 340 files"), and for each it leaves out, why. Worked out on a
// pooled thread a moment after the last edit; a result that a newer edit has overtaken is
// dropped, so the window never waits and never shows an older rule's files.

#include "engine/folder_tree.h"
#include "engine/rule_preview.h"
#include "globals/records.h"

#include <QWidget>

#include <atomic>
#include <memory>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QTimer;
class QTreeWidget;

namespace lp {

class RulePreviewPanel : public QWidget {
    Q_OBJECT
public:
    // Lists the folder (with its sub-folders, as far as reach goes) and previews rule over it;
    // runs away from the window's thread.
    using Compute = std::function<RulePreview(
        const TreeReach& reach, const std::string& excludefiles, const RuleRec& rule)>;
    // The listing and today of the real disk and clock.
    static RulePreview ListAndPreview(const TreeReach& reach, const std::string& excludefiles,
                                      const RuleRec& rule);

    static constexpr int kMostRows = 300;
    static constexpr int kPauseMs = 300; // after the last edit, before the preview is worked out

    explicit RulePreviewPanel(QWidget* parent = nullptr, Compute compute = &ListAndPreview);

    // The folder the rule belongs to; null for none.
    void setFolder(const rServiceRules* folder);
    // The rule changed: its preview follows once edits pause.
    void ruleChanged(const RuleRec& rule);
    // Works the preview out now, without the pause.
    void refreshNow();

    enum Column { FileColumn, VerdictColumn };
    QLabel* lblPreview = nullptr;
    QTreeWidget* lvPreview = nullptr;

signals:
    // A preview has been shown (a result that was not overtaken).
    void previewShown();

private:
    struct Shown; // what a pooled thread hands back
    void show(const Shown& shown);
    void showRows(const Shown& shown);

    Compute compute_;
    QTimer* pause_ = nullptr;
    bool hasFolder_ = false;
    TreeReach reach_;
    std::string excludefiles_;
    RuleRec rule_;
    std::uint64_t latest_ = 0; // the number of the newest request; older results are dropped
    // The same, for the pooled threads: a request overtaken before it began is never begun.
    std::shared_ptr<std::atomic<std::uint64_t>> latestShared_ =
        std::make_shared<std::atomic<std::uint64_t>>(0);
};

} // namespace lp
