#include "move_journal.h"

#include "appending_file.h"
#include "folder_listing.h"
#include "path_separator.h"
#include "utf8_path.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>

namespace lp::platform {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kIdLength = 12;
constexpr int kJournalFiles = 9;

std::string newId() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string id(kIdLength, ' ');
    for (char& c : id)
        c = kLetters[pick(generator)];
    return id;
}

// The path of name in the folder of path.
std::string beside(const std::string& path, std::string_view name) {
    const char* separators = kPathSeparator == '/' ? "/" : "/\\";
    const std::size_t cut = path.find_last_of(separators);
    std::string result = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    return result.append(name);
}

void appendValue(std::string& line, std::string_view value) {
    line.append(std::to_string(value.size())).append(1, ':').append(value);
}

// Reads what appendValue wrote, and the separator after it.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool word(std::string_view& out) {
        const std::size_t end = text_.find_first_of(" \n");
        if (end == std::string_view::npos || end == 0)
            return false;
        out = text_.substr(0, end);
        text_.remove_prefix(end);
        return true;
    }
    template <typename Number> bool number(Number& out) {
        std::string_view digits;
        if (!word(digits))
            return false;
        const auto [end, error] = std::from_chars(digits.begin(), digits.end(), out);
        return error == std::errc() && end == digits.end();
    }
    bool value(std::string& out) {
        std::size_t length = 0;
        const std::size_t colon = text_.find(':');
        if (colon == std::string_view::npos)
            return false;
        const auto [end, error] = std::from_chars(text_.data(), text_.data() + colon, length);
        if (error != std::errc() || end != text_.data() + colon ||
            text_.size() - colon - 1 < length)
            return false;
        out = text_.substr(colon + 1, length);
        text_.remove_prefix(colon + 1 + length);
        return true;
    }
    bool skip(char c) {
        if (text_.empty() || text_.front() != c)
            return false;
        text_.remove_prefix(1);
        return true;
    }
    bool done() const { return text_.empty(); }

private:
    std::string_view text_;
};

bool knownKind(char kind) {
    return kind == static_cast<char>(JournalKind::Move) ||
           kind == static_cast<char>(JournalKind::Copy) ||
           kind == static_cast<char>(JournalKind::LinkMove);
}

// This process's journal: its file, and the operations under way now.
class Journal {
public:
    static Journal& instance() {
        static Journal journal;
        return journal;
    }

    JournalStart open(const std::string& path) {
        const std::lock_guard lock(mutex_);
        JournalStart start;
        own_.reset();
        others_.clear();
        std::error_code error;
        const fs::path folder = Utf8Path(path).parent_path();
        if (!folder.empty() && fs::create_directories(folder, error))
            fs::permissions(folder, fs::perms::owner_all, error);
        for (int number = 1; number <= kJournalFiles; ++number) {
            const std::string candidate = number == 1 ? path : path + '.' + std::to_string(number);
            // Further files are only made when the ones before are held by other programs.
            if (own_ && !fs::exists(Utf8Path(candidate), error))
                continue;
            auto file = std::make_unique<AppendingFile>();
            if (auto failed = file->open(candidate)) {
                if (!start.problem)
                    start.problem = candidate + ": " + failed.message();
                continue;
            }
            if (!file->lockForThisProcess())
                continue; // a running program's
            std::string content;
            if (!file->readAll(content)) {
                auto left = UnfinishedRecords(content);
                start.unfinished.insert(start.unfinished.end(), left.begin(), left.end());
            }
            if (!own_)
                own_ = std::move(file);
            else
                others_.emplace_back(candidate, std::move(file));
        }
        if (own_)
            start.problem.reset();
        else if (!start.problem)
            start.problem = path + ": held by other running programs";
        return start;
    }

    void settle(const std::vector<JournalRecord>& stillOpen) {
        const std::lock_guard lock(mutex_);
        for (auto& [path, file] : others_) {
            std::error_code ignored;
            fs::remove(Utf8Path(path), ignored);
        }
        others_.clear();
        kept_.clear();
        for (const JournalRecord& record : stillOpen)
            kept_.append(RecordLine(record));
        if (own_) {
            own_->truncate();
            own_->append(kept_);
        }
    }

    void begin(const JournalRecord& record) {
        const std::lock_guard lock(mutex_);
        ++underWay_;
        if (own_)
            own_->append(RecordLine(record));
    }

    void end(const JournalRecord& record, bool kept) {
        const std::lock_guard lock(mutex_);
        --underWay_;
        if (kept)
            kept_.append(RecordLine(record));
        if (!own_)
            return;
        // With nothing under way the journal holds only what stays for the next start: one call
        // instead of an ever longer file.
        if (underWay_ == 0) {
            own_->truncate();
            if (!kept_.empty())
                own_->append(kept_);
        } else if (!kept) {
            own_->append(EndLine(record.id));
        }
    }

private:
    std::mutex mutex_;
    std::unique_ptr<AppendingFile> own_;
    std::vector<std::pair<std::string, std::unique_ptr<AppendingFile>>> others_;
    std::string kept_; // the lines of the records that stay
    int underWay_ = 0;
};

} // namespace

std::string ClaimPath(const JournalRecord& record) {
    return beside(record.source, std::string(kWorkingNamePrefix) + "move-" + record.id);
}
std::string CopyPath(const JournalRecord& record) {
    return beside(record.destination, std::string(kWorkingNamePrefix) + "copy-" + record.id);
}
std::string LinkPath(const JournalRecord& record) {
    return beside(record.destination, std::string(kWorkingNamePrefix) + "link-" + record.id);
}
std::string KeptPath(const JournalRecord& record) {
    return beside(record.destination, std::string(kWorkingNamePrefix) + "kept-" + record.id);
}

std::string RecordLine(const JournalRecord& record) {
    std::string line = "B " + record.id + ' ' + static_cast<char>(record.kind) + ' ' +
                       std::to_string(record.size) + ' ' + std::to_string(record.modifiedNs) + ' ';
    appendValue(line, record.source);
    line.append(1, ' ');
    appendValue(line, record.destination);
    return line.append(1, '\n');
}

std::string EndLine(const std::string& id) {
    return "E " + id + '\n';
}

std::vector<JournalRecord> UnfinishedRecords(std::string_view content) {
    std::vector<JournalRecord> records;
    LineReader reader(content);
    while (!reader.done()) {
        std::string_view mark, id, kind;
        if (!reader.word(mark) || !reader.skip(' ') || !reader.word(id))
            break;
        if (mark == "E") {
            if (!reader.skip('\n'))
                break;
            std::erase_if(records, [&](const JournalRecord& r) { return r.id == id; });
            continue;
        }
        JournalRecord record;
        record.id = id;
        if (mark != "B" || !reader.skip(' ') || !reader.word(kind) || kind.size() != 1 ||
            !knownKind(kind[0]) || !reader.skip(' ') || !reader.number(record.size) ||
            !reader.skip(' ') || !reader.number(record.modifiedNs) || !reader.skip(' ') ||
            !reader.value(record.source) || !reader.skip(' ') ||
            !reader.value(record.destination) || !reader.skip('\n'))
            break;
        record.kind = static_cast<JournalKind>(kind[0]);
        records.push_back(std::move(record));
    }
    return records;
}

JournalStart OpenMoveJournal(const std::string& path) {
    return Journal::instance().open(path);
}

void SettleUnfinishedRecords(const std::vector<JournalRecord>& stillOpen) {
    Journal::instance().settle(stillOpen);
}

JournalEntry::JournalEntry(JournalKind kind, std::string source, std::string destination,
                           std::uint64_t size, std::int64_t modifiedNs)
    : record_{newId(), kind, std::move(source), std::move(destination), size, modifiedNs} {
    Journal::instance().begin(record_);
}

namespace {
thread_local JournalEndsHeld* innermostHolder = nullptr;
} // namespace

JournalEntry::~JournalEntry() {
    if (innermostHolder) {
        innermostHolder->held_.push_back({std::move(record_), kept_});
        return;
    }
    Journal::instance().end(record_, kept_);
}

JournalEndsHeld::JournalEndsHeld() : outer_(innermostHolder) {
    innermostHolder = this;
}

JournalEndsHeld::~JournalEndsHeld() {
    innermostHolder = outer_;
    for (Held& held : held_) {
        if (outer_)
            outer_->held_.push_back(std::move(held));
        else
            Journal::instance().end(held.record, held.kept);
    }
}

} // namespace lp::platform
