#pragma once
// Sort Now: what a folder's rules would do to the files in it now, one line per operation, to
// be unticked where unwanted and then carried out on the cycle thread, with its progress, and
// cancellable. The window is never held up: both steps run away from it.

#include "desktop/cycle_thread.h"
#include "desktop/sorting_cycle.h"

#include <QDialog>
#include <atomic>
#include <memory>
#include <set>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace lp {

class TfrmSortNow : public QDialog {
    Q_OBJECT
public:
    // Starts the preview of folder at once; the lines come when the cycle thread has made it.
    TfrmSortNow(CycleThread& cycles, SortNowWork work, const rServiceRules& folder,
                QWidget* parent = nullptr);
    ~TfrmSortNow() override;

    enum Column { FileColumn, RuleColumn, OperationColumn, TargetColumn, FailureColumn };

    QLabel* lblSortNow = nullptr;
    QTreeWidget* lvSortNow = nullptr; // one line per operation
    QProgressBar* pbSortNow = nullptr;
    QPushButton* btnSort = nullptr;
    QPushButton* btnClose = nullptr; // "Cancel" while sorting: stops it, then "Close"

    // The file and rule each ticked line stands for.
    std::set<SortNowChoice> chosen() const;
    bool sorting() const { return sorting_; }

public slots:
    void btnSortClick();
    void lvSortNowItemChanged(QTreeWidgetItem* item, int column);
    void reject() override;

private:
    // Shared with the jobs on the cycle thread, which may outlive the dialog.
    struct Shared {
        SortNowPreview preview;
        // The previewed files the cycles had not taken up yet: one they take up before Sort is
        // theirs, and Sort refuses it.
        std::set<std::string> newToCycles;
        SortNowOutcome outcome;
        std::string failure; // what went wrong unexpectedly (out of memory)
        std::atomic<bool> cancel{false};
        std::atomic<std::size_t> done{0}, total{0};
    };

    void showPreview();
    void showOutcome();
    void showProgress();
    // The lines of a rule made once for all its files are ticked while any file of the rule is.
    void followRuleLines();

    CycleThread& cycles_;
    SortNowWork work_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    QString folderName_;
    QTimer* progressTimer_ = nullptr;
    bool sorting_ = false;
    bool syncing_ = false; // ticking a file's other lines of the rule is no user's tick
};

} // namespace lp
