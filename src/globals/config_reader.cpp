// Reading the configuration file back into the table, in the order the writer wrote it. Reading
// stops at the first line that is not what the layout expects there; what was read before it
// stays, and the file is then kept as it is until the first save sets it aside.

#include "config_file.h"
#include "config_lines.h"
#include "config_table_repair.h"
#include "path_template.h"
#include "platform/decimal_separator.h"
#include "platform/file_reading.h"
#include "platform/path_separator.h"
#include "platform/stored_text.h"
#include "platform/utf8_path.h"
#include "quoted_value.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <variant>

namespace lp {

using namespace config;

namespace {

// What the records made from one file may take, array capacity included. A file of the largest
// size holding nothing but the smallest records stays well within it, and together with the file
// itself and its texts reading any file stays below 64 MB.
constexpr std::size_t kMaxRecordBytes = std::size_t{24} << 20;

// Walks the file in writing order. Every read* stops at the first line that does not fit the
// layout; the counts are then cut back to the records read whole, and a rule that was not read
// whole keeps only the actions read whole before the cut.
class TableReader {
public:
    TableReader(KeyReader& keys, ServiceTable& table, bool version2)
        : keys_(keys), table_(table), version2_(version2) {}

    void readAll();

private:
    enum class Outcome { Whole, Partly, NotReached };

    bool stopped() const { return keys_.Stopped(); }
    bool countUsable(std::string_view key, std::int32_t count) {
        if (count >= 0)
            return true;
        keys_.Stop(keys_.Lines().LineNumber(),
                   "Expected a count of 0 or more for " + std::string(key) + "=, found " +
                       std::string(key) + "=" + std::to_string(count) + ".");
        return false;
    }

    // The record at index, made only when reading reaches it and within kMaxRecordBytes.
    template <class Record> Record* reach(std::vector<Record>& records, std::size_t index);
    // Records, or parts of one, beyond what the counts hold would be lost at the next save.
    void checkNothingLeft();

    Outcome readService(std::size_t index);
    Outcome readRule(RuleList& list, std::int32_t index);
    Outcome readCondition(ruleacondrec& cond);
    Outcome readAction(ruleactionrec& action);

    // A key that stands only where its option is on, at its fixed place; a version-1 file has
    // none of them.
    void readOption(std::string_view key, bool& field);
    void readSubfolders(rServiceRules& service);
    void readDestination(ruleactionrec& action, std::string& folder);
    void readNewName(ruleactionrec& action);

    KeyReader& keys_;
    ServiceTable& table_;
    bool version2_ = false;
    std::size_t recordBytes_ = 0;
};

void TableReader::readOption(std::string_view key, bool& field) {
    field = false;
    if (!version2_ || stopped())
        return;
    const auto next = keys_.Lines().PeekLine();
    if (next && next->size() > key.size() && next->substr(0, key.size()) == key &&
        (*next)[key.size()] == '=')
        keys_.ReadBoolKey(key, field);
}

// "subfolders=" follows "rulecnt=" in a version-2 file, only when the folder's sub-folders are
// watched; a depth beyond what Larchpost walks is taken as the deepest it walks, and none (0, or
// less, written by hand) as the folder watched alone.
void TableReader::readSubfolders(rServiceRules& service) {
    service.subfolders = 0;
    if (!version2_ || stopped())
        return;
    constexpr std::string_view key = "subfolders=";
    const auto next = keys_.Lines().PeekLine();
    if (!next || next->substr(0, key.size()) != key)
        return;
    std::int32_t levels = 0;
    if (keys_.ReadIntKey("subfolders", levels) == 0)
        service.subfolders = std::clamp(levels, 0, kMostSubfolderLevels);
}

// In a version-2 file "{{" stands for "{" and a single "{" starts a placeholder. A destination
// with placeholders is kept as the file spells it; one holding a placeholder Larchpost does not
// know passes its rule over.
void TableReader::readDestination(ruleactionrec& action, std::string& folder) {
    action.unknownPlaceholder = false;
    action.templated = false;
    if (keys_.ReadStrKey("filepath", folder) != 0 || !version2_)
        return;
    const auto parsed = PathTemplate::Parse(folder, PathTemplate::Kind::Destination);
    if (std::holds_alternative<TemplateRefusal>(parsed)) {
        action.unknownPlaceholder = true;
        return;
    }
    const auto& destination = std::get<PathTemplate>(parsed);
    if (destination.hasPlaceholders())
        action.templated = true;
    else
        folder = destination.fixedFolder();
}

// A rename's name template; a version-1 file has no such action.
void TableReader::readNewName(ruleactionrec& action) {
    action.unknownPlaceholder = false;
    if (keys_.ReadStrKey("newname", action.racrename.newname) != 0)
        return;
    action.unknownPlaceholder = std::holds_alternative<TemplateRefusal>(
        PathTemplate::Parse(action.racrename.newname, PathTemplate::Kind::Name));
}

template <class Record>
Record* TableReader::reach(std::vector<Record>& records, std::size_t index) {
    if (index < records.size())
        return &records[index];
    if (records.size() == records.capacity()) {
        const std::size_t grown = records.capacity() == 0 ? 1 : records.capacity() * 2;
        const std::size_t cost = (grown - records.capacity()) * sizeof(Record);
        if (recordBytes_ + cost > kMaxRecordBytes) {
            keys_.Stop(keys_.Lines().LineNumber(),
                       "The file holds more records than Larchpost reads (they would take more "
                       "than " +
                           std::to_string(kMaxRecordBytes >> 20) + " MiB).");
            return nullptr;
        }
        recordBytes_ += cost;
        records.reserve(grown);
    }
    records.resize(index + 1);
    return &records[index];
}

template <class Record> void cutTo(std::vector<Record>& records, std::size_t count) {
    if (records.size() > count)
        records.resize(count);
}

void TableReader::readAll() {
    std::int32_t serviceCount = 0;
    keys_.ReadBoolKey("UseSMTP", table_.settings.UseSMTP);
    keys_.ReadStrKey("SMTP Server", table_.settings.SMTPServer);
    keys_.ReadStrKey("ReplyTo", table_.settings.ReplyTo);
    keys_.ReadIntKey("Service Count", serviceCount);
    if (!stopped() && countUsable("Service Count", serviceCount))
        keys_.ReadIntKey("Custom Count", table_.customCount);
    if (stopped()) {
        table_.services.clear();
        return;
    }
    cutTo(table_.services, static_cast<std::size_t>(serviceCount));
    for (std::size_t i = 0; i < static_cast<std::size_t>(serviceCount); ++i) {
        const Outcome outcome = readService(i);
        if (outcome != Outcome::Whole) {
            cutTo(table_.services, outcome == Outcome::NotReached ? i : i + 1);
            return;
        }
    }
    checkNothingLeft();
}

void TableReader::checkNothingLeft() {
    LineSource& lines = keys_.Lines();
    while (const auto line = lines.ReadLine()) {
        if (IsLayoutLine(*line)) {
            keys_.Stop(lines.LineNumber(), "Found " + QuotedLine(*line) +
                                               " after the last record that the counts hold.");
            return;
        }
    }
    if (lines.End() == ContentEnd::CutAtLimit)
        keys_.StopAtEnd("");
    else if (lines.End() == ContentEnd::Unreadable)
        keys_.Stop(lines.LineNumber() + 1,
                   "Error Reading Input File: the file could not be read to its end.");
}

TableReader::Outcome TableReader::readService(std::size_t index) {
    if (keys_.FindSection("[Service " + std::to_string(index + 1) + "]") != 0)
        return Outcome::NotReached;
    rServiceRules* service = reach(table_.services, index);
    if (!service)
        return Outcome::NotReached;
    RuleList& list = service->rulelist;
    keys_.ReadIntKey("serviceid", service->serviceid);
    keys_.ReadIntKey("othernum", service->othernum);
    keys_.ReadStrKey("othername", service->othername);
    keys_.ReadBoolKey("enabled", service->enabled);
    keys_.ReadStrKey("sharedir", service->sharedir);
    // "/in/" is "/in": every path of its files, in the lines too, has one separator before them.
    service->sharedir = platform::WithoutTrailingSeparators(std::move(service->sharedir));
    keys_.ReadStrKey("excludefiles", service->excludefiles);
    keys_.ReadIntKey("rulecnt", list.rulecnt);
    readSubfolders(*service);
    if (stopped() || !countUsable("rulecnt", list.rulecnt)) {
        list.rulecnt = 0;
        list.rules.clear();
        return Outcome::Partly;
    }
    cutTo(list.rules, static_cast<std::size_t>(list.rulecnt));
    for (std::int32_t j = 0; j < list.rulecnt; ++j) {
        const Outcome outcome = readRule(list, j);
        if (outcome != Outcome::Whole) {
            list.rulecnt = outcome == Outcome::NotReached ? j : j + 1;
            list.rules.resize(static_cast<std::size_t>(list.rulecnt));
            return Outcome::Partly;
        }
    }
    return Outcome::Whole;
}

TableReader::Outcome TableReader::readRule(RuleList& list, std::int32_t index) {
    if (keys_.FindSection("[Rule " + std::to_string(index + 1) + "]") != 0)
        return Outcome::NotReached;
    RuleRec* rule = reach(list.rules, static_cast<std::size_t>(index));
    if (!rule)
        return Outcome::NotReached;
    std::int32_t condcnt = 0;
    keys_.ReadStrKey("rulename", rule->rulename);
    keys_.ReadBoolKey("enabled", rule->enabled);
    keys_.ReadIntKey("mcond", rule->mcond);
    keys_.ReadIntKey("condcnt", condcnt);
    keys_.ReadIntKey("fcnt", rule->fcnt);
    keys_.ReadIntKey("fsize", rule->fsize);
    readOption("anycond", rule->anyCondition);
    readOption("stopafter", rule->stopAfter);
    // A rule cut short before its actions keeps none, so it can never act on half of its
    // conditions.
    rule->condcnt = 0;
    rule->actioncnt = 0;
    if (stopped() || !countUsable("condcnt", condcnt))
        return Outcome::Partly;
    cutTo(rule->conds, static_cast<std::size_t>(condcnt));
    for (std::int32_t c = 0; c < condcnt; ++c) {
        ruleacondrec* cond = reach(rule->conds, static_cast<std::size_t>(c));
        if (!cond || readCondition(*cond) != Outcome::Whole)
            return Outcome::Partly;
        rule->condcnt = c + 1;
    }
    std::int32_t actioncnt = 0;
    keys_.ReadIntKey("actioncnt", actioncnt);
    if (stopped() || !countUsable("actioncnt", actioncnt))
        return Outcome::Partly;
    cutTo(rule->actions, static_cast<std::size_t>(actioncnt));
    // An action is kept only whole: a move whose folder was cut off would move to the root.
    for (std::int32_t a = 0; a < actioncnt; ++a) {
        ruleactionrec* action = reach(rule->actions, static_cast<std::size_t>(a));
        if (!action || readAction(*action) != Outcome::Whole)
            return Outcome::Partly;
        rule->actioncnt = a + 1;
    }
    return Outcome::Whole;
}

TableReader::Outcome TableReader::readCondition(ruleacondrec& cond) {
    keys_.ReadIntKey("rcond", cond.rcond);
    // A kind that came with version 2 means nothing in a version-1 file: it is kept as it stands.
    cond.foreign = !version2_ && cond.rcond > FileDateOld && cond.rcond <= kLastConditionKind;
    // A version-1 file that had such a kind and became version 2 marks it, so that it still
    // means nothing rather than lacking its keys.
    if (version2_ && cond.rcond > FileDateOld && cond.rcond <= kLastConditionKind)
        readOption("foreign", cond.foreign);
    if (cond.foreign)
        return stopped() ? Outcome::Partly : Outcome::Whole;
    switch (cond.rcond) {
    case FileExt:
        keys_.ReadStrKey("ext", cond.rcondFileExt.ext);
        readOption("extanycase", cond.rcondFileExt.anyCase);
        break;
    case FileSize:
        keys_.ReadIntKey("rnum", cond.rnum);
        keys_.ReadIntKey("size", cond.size);
        break;
    case FileDate: {
        keys_.ReadIntKey("rdays", cond.rdays);
        // Files written before the comparison was kept have no such line; theirs stays "less".
        cond.rdnum = cmpLess;
        const auto next = keys_.Lines().PeekLine();
        if (!stopped() && next && next->substr(0, 6) == "rdnum=")
            keys_.ReadIntKey("rdnum", cond.rdnum);
        break;
    }
    case FileDateNew:
        keys_.ReadIntKey("filecnt", cond.newfilecnt);
        break;
    case FileDateOld:
        keys_.ReadIntKey("filecnt", cond.oldfilecnt);
        break;
    case FileNameMatching:
    case FileNameNotMatching:
        keys_.ReadStrKey("names", cond.names);
        break;
    case FileTypeMatching:
        keys_.ReadStrKey("types", cond.types);
        break;
    case DownloadedFrom:
        keys_.ReadStrKey("origins", cond.origins);
        break;
    default:
        break;
    }
    return stopped() ? Outcome::Partly : Outcome::Whole;
}

TableReader::Outcome TableReader::readAction(ruleactionrec& action) {
    keys_.ReadIntKey("raction", action.raction);
    switch (action.raction) {
    case rMove:
        readDestination(action, action.racmove.filepath);
        break;
    case rCopy:
        readDestination(action, action.raccopy.filepath);
        break;
    case rFTP:
        keys_.ReadStrKey("ftpserver", action.racftp.ftpserver);
        keys_.ReadIntKey("ftpport", action.racftp.ftpport);
        keys_.ReadStrKey("ftppath", action.racftp.ftppath);
        keys_.ReadStrKey("ftpuser", action.racftp.ftpuser);
        keys_.ReadStrKey("ftppass", action.racftp.ftppass);
        keys_.ReadBoolKey("ftpascmode", action.racftp.ftpascmode);
        keys_.ReadBoolKey("ftppassive", action.racftp.ftppassive);
        break;
    case rLaunch:
        keys_.ReadStrKey("fprogram", action.raclaunch.fprogram);
        keys_.ReadStrKey("fparams", action.raclaunch.fparams);
        break;
    case rRename:
        if (version2_)
            readNewName(action);
        break;
    default:
        break;
    }
    return stopped() ? Outcome::Partly : Outcome::Whole;
}

// Loads the whole file. A read error keeps what came before it; a file larger than
// kMaxConfigBytes keeps its complete lines up to the limit. Either way the content then ends
// before the file does, and the file cannot count as read whole.
bool loadFile(const std::string& path, std::string& content, ContentEnd& end) {
    // One byte more than the limit tells a file that is longer from one that just fits.
    bool readFailed = false;
    if (!platform::ReadFileStart(path, kMaxConfigBytes + 1, content, readFailed))
        return false;
    end = readFailed ? ContentEnd::Unreadable : ContentEnd::Complete;
    if (content.size() > kMaxConfigBytes) {
        end = ContentEnd::CutAtLimit;
        const auto lastLineEnd = content.rfind('\n', kMaxConfigBytes - 1);
        content.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
    }
    platform::StoredTextToUtf8(content);
    return true;
}

// One message for the whole file: where reading stopped, why, and what becomes of the file.
std::string problemMessage(const ReadProblem& problem, const std::string& path) {
    std::string text = "The configuration file ";
    if (!path.empty())
        text += QuoteValue(path) + " ";
    text += "was not read whole. " + problem.what;
    if (text.back() != '.')
        text += '.';
    text += " Line " + std::to_string(problem.line) +
            ". The file is kept as it is and will be set aside at the first save.";
    return text;
}

std::int32_t readLines(LineSource& lines, ServiceTable& table, const MessageSink& sink,
                       const std::string& path) {
    KeyReader keys(lines);
    const auto first = lines.ReadLine();
    if (!first || *first != "[Main Info]") {
        keys.Stop(1, "Error: Invalid alarm file");
    } else {
        std::string versionText;
        if (keys.ReadStrKey("Version", versionText) == 0) {
            if (auto version = ParseVersion(versionText, platform::UserDecimalSeparator()))
                table.configVersion = *version;
            else
                sink("Error retrieving version number.");
        }
        TableReader(keys, table, table.configVersion >= 2.0).readAll();
        RestoreTableInvariants(table);
    }
    if (!keys.Stopped())
        return 0;
    table.setAsideBeforeSave = true;
    sink(problemMessage(*keys.Problem(), path));
    return -1;
}

} // namespace

std::int32_t ReadConfigContent(std::string content, ServiceTable& table, const MessageSink& sink) {
    platform::StoredTextToUtf8(content);
    LineSource lines(std::move(content));
    return readLines(lines, table, sink, {});
}

std::int32_t ReadConfigFile(const std::string& path, ServiceTable& table, const MessageSink& sink) {
    std::string content;
    ContentEnd end = ContentEnd::Complete;
    if (!loadFile(path, content, end)) {
        // A file that is there but cannot be read must not be replaced by the next save.
        std::error_code ignored;
        if (std::filesystem::exists(platform::Utf8Path(path), ignored))
            table.setAsideBeforeSave = true;
        return -2;
    }
    LineSource lines(std::move(content), end);
    return readLines(lines, table, sink, path);
}

} // namespace lp
