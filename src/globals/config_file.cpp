#include "config_file.h"

#include "config_lines.h"
#include "config_table_repair.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <fcntl.h>
#include <unistd.h>

namespace lp {

using namespace config;

namespace {

// A count never promises more entries than its array holds; a shorter array would have the
// writer read past its end.
std::int32_t usableCount(std::int32_t count, std::size_t size) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(count, 0, static_cast<std::int64_t>(size)));
}

void writeCondition(std::string& out, const ruleacondrec& cond) {
    WriteIntKey(out, "rcond", cond.rcond);
    switch (cond.rcond) {
    case FileExt:
        WriteStrKey(out, "ext", cond.rcondFileExt.ext);
        break;
    case FileSize:
        WriteIntKey(out, "rnum", cond.rnum);
        WriteIntKey(out, "size", cond.size);
        break;
    case FileDate:
        WriteIntKey(out, "rdays", cond.rdays);
        // Without it, "older than" would read back as "younger than" after a restart.
        WriteIntKey(out, "rdnum", cond.rdnum);
        break;
    case FileDateNew:
        WriteIntKey(out, "filecnt", cond.newfilecnt);
        break;
    case FileDateOld:
        WriteIntKey(out, "filecnt", cond.oldfilecnt);
        break;
    default:
        break;
    }
}

void writeAction(std::string& out, const ruleactionrec& action) {
    WriteIntKey(out, "raction", action.raction);
    switch (action.raction) {
    case rMove:
        WriteStrKey(out, "filepath", action.racmove.filepath);
        break;
    case rCopy:
        WriteStrKey(out, "filepath", action.raccopy.filepath);
        break;
    case rFTP:
        WriteStrKey(out, "ftpserver", action.racftp.ftpserver);
        WriteIntKey(out, "ftpport", action.racftp.ftpport);
        WriteStrKey(out, "ftppath", action.racftp.ftppath);
        WriteStrKey(out, "ftpuser", action.racftp.ftpuser);
        WriteStrKey(out, "ftppass", action.racftp.ftppass);
        WriteBoolKey(out, "ftpascmode", action.racftp.ftpascmode);
        WriteBoolKey(out, "ftppassive", action.racftp.ftppassive);
        break;
    case rLaunch:
        WriteStrKey(out, "fprogram", action.raclaunch.fprogram);
        WriteStrKey(out, "fparams", action.raclaunch.fparams);
        break;
    default:
        break;
    }
}

void writeRule(std::string& out, const RuleRec& rule, int number) {
    WriteLine(out, "[Rule " + std::to_string(number) + "]");
    const std::int32_t condcnt = usableCount(rule.condcnt, rule.conds.size());
    const std::int32_t actioncnt = usableCount(rule.actioncnt, rule.actions.size());
    WriteStrKey(out, "rulename", rule.rulename);
    WriteBoolKey(out, "enabled", rule.enabled);
    WriteIntKey(out, "mcond", rule.mcond);
    WriteIntKey(out, "condcnt", condcnt);
    WriteIntKey(out, "fcnt", rule.fcnt);
    WriteIntKey(out, "fsize", rule.fsize);
    for (std::int32_t c = 0; c < condcnt; ++c)
        writeCondition(out, rule.conds[c]);
    WriteIntKey(out, "actioncnt", actioncnt);
    for (std::int32_t a = 0; a < actioncnt; ++a)
        writeAction(out, rule.actions[a]);
}

void writeService(std::string& out, const rServiceRules& service, std::size_t number) {
    WriteLine(out, "[Service " + std::to_string(number) + "]");
    const std::int32_t rulecnt =
        usableCount(service.rulelist.rulecnt, service.rulelist.rules.size());
    WriteIntKey(out, "serviceid", service.serviceid);
    WriteIntKey(out, "othernum", service.othernum);
    WriteStrKey(out, "othername", service.othername);
    WriteBoolKey(out, "enabled", service.enabled);
    WriteStrKey(out, "sharedir", service.sharedir);
    WriteStrKey(out, "excludefiles", service.excludefiles);
    WriteIntKey(out, "rulecnt", rulecnt);
    for (std::int32_t r = 0; r < rulecnt; ++r)
        writeRule(out, service.rulelist.rules[r], r + 1);
}

} // namespace

std::string FormatConfigFile(const ServiceTable& table) {
    std::string out;
    WriteLine(out, "[Main Info]");
    WriteStrKey(out, "Version", "1.00");
    WriteBoolKey(out, "UseSMTP", table.settings.UseSMTP);
    WriteStrKey(out, "SMTP Server", table.settings.SMTPServer);
    WriteStrKey(out, "ReplyTo", table.settings.ReplyTo);
    WriteIntKey(out, "Service Count", static_cast<std::int64_t>(table.services.size()));
    WriteIntKey(out, "Custom Count", table.customCount);
    for (std::size_t i = 0; i < table.services.size(); ++i)
        writeService(out, table.services[i], i + 1);
    return out;
}

std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table) {
    const std::string content = FormatConfigFile(table);
    if (!table.setAsideBeforeSave)
        return platform::WriteFileAtomically(path, content) ? -2 : 0;
    std::string keptAs;
    if (platform::ReplaceFileKeepingOld(path, content, keptAs))
        return -2;
    table.setAsideBeforeSave = false;
    return 0;
}

namespace {

// Walks the file in writing order. Every read* returns false once the layout is lost (a bad
// number, an impossible count, a missing tag, an unreadable line); what was read stays and the
// counts are cut back to the records actually reached.
class TableReader {
public:
    TableReader(KeyReader& keys, ServiceTable& table) : keys_(keys), table_(table) {}

    bool readAll();

private:
    enum class Outcome { Whole, Partly, NotReached };

    bool lost() const { return keys_.BadNumber() || keys_.Incomplete(); }
    // A negative count loses the layout. A count promising more records than the remaining lines
    // could hold is cut to what they could: the records that are there are read, no absurd
    // array is made, and the missing ones end reading at their tag.
    bool fitCount(std::int32_t& count, std::int64_t linesPerRecord) {
        if (count < 0)
            return false;
        const std::int64_t room = keys_.Lines().RemainingLines() / linesPerRecord;
        if (count > room) {
            count = static_cast<std::int32_t>(room);
            cutShort_ = true;
        }
        return true;
    }

    Outcome readService(rServiceRules& service, std::size_t number);
    Outcome readRule(RuleRec& rule, std::int32_t number);
    Outcome readCondition(ruleacondrec& cond);
    Outcome readAction(ruleactionrec& action);

    KeyReader& keys_;
    ServiceTable& table_;
    bool cutShort_ = false;
};

// The record at index, made only when reading reaches it. An array is cut back to its count at
// once but never grown ahead of the records the file actually holds: a count that lines of a few
// bytes each seem to allow would otherwise cost hundreds of bytes per line.
template <class Record> Record& reach(std::vector<Record>& records, std::size_t index) {
    if (index >= records.size())
        records.resize(index + 1);
    return records[index];
}

template <class Record> void cutTo(std::vector<Record>& records, std::int32_t count) {
    if (records.size() > static_cast<std::size_t>(count))
        records.resize(static_cast<std::size_t>(count));
}

// A service is its tag and seven keys; a rule its tag, six keys and actioncnt; a condition or an
// action at least its kind line.
constexpr std::int64_t kServiceLines = 8;
constexpr std::int64_t kRuleLines = 8;
constexpr std::int64_t kItemLines = 1;

bool TableReader::readAll() {
    std::int32_t serviceCount = static_cast<std::int32_t>(table_.services.size());
    keys_.ReadBoolKey("UseSMTP", table_.settings.UseSMTP);
    keys_.ReadStrKey("SMTP Server", table_.settings.SMTPServer);
    keys_.ReadStrKey("ReplyTo", table_.settings.ReplyTo);
    keys_.ReadIntKey("Service Count", serviceCount);
    if (lost() || !fitCount(serviceCount, kServiceLines))
        return false;
    cutTo(table_.services, serviceCount);
    keys_.ReadIntKey("Custom Count", table_.customCount);
    if (lost()) {
        table_.services.clear();
        return false;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(serviceCount); ++i) {
        const Outcome outcome = readService(reach(table_.services, i), i + 1);
        if (outcome != Outcome::Whole) {
            table_.services.resize(outcome == Outcome::NotReached ? i : i + 1);
            return false;
        }
    }
    return !cutShort_;
}

TableReader::Outcome TableReader::readService(rServiceRules& service, std::size_t number) {
    if (keys_.FindSection("[Service " + std::to_string(number) + "]") != 0)
        return Outcome::NotReached;
    RuleList& list = service.rulelist;
    keys_.ReadIntKey("serviceid", service.serviceid);
    keys_.ReadIntKey("othernum", service.othernum);
    keys_.ReadStrKey("othername", service.othername);
    keys_.ReadBoolKey("enabled", service.enabled);
    keys_.ReadStrKey("sharedir", service.sharedir);
    keys_.ReadStrKey("excludefiles", service.excludefiles);
    keys_.ReadIntKey("rulecnt", list.rulecnt);
    if (lost() || !fitCount(list.rulecnt, kRuleLines)) {
        list.rulecnt = 0;
        list.rules.clear();
        return Outcome::Partly;
    }
    cutTo(list.rules, list.rulecnt);
    for (std::int32_t j = 0; j < list.rulecnt; ++j) {
        const Outcome outcome = readRule(reach(list.rules, j), j + 1);
        if (outcome != Outcome::Whole) {
            list.rulecnt = outcome == Outcome::NotReached ? j : j + 1;
            list.rules.resize(static_cast<std::size_t>(list.rulecnt));
            return Outcome::Partly;
        }
    }
    return Outcome::Whole;
}

TableReader::Outcome TableReader::readRule(RuleRec& rule, std::int32_t number) {
    if (keys_.FindSection("[Rule " + std::to_string(number) + "]") != 0)
        return Outcome::NotReached;
    keys_.ReadStrKey("rulename", rule.rulename);
    keys_.ReadBoolKey("enabled", rule.enabled);
    keys_.ReadIntKey("mcond", rule.mcond);
    keys_.ReadIntKey("condcnt", rule.condcnt);
    const bool condsFit = !lost() && fitCount(rule.condcnt, kItemLines);
    if (!condsFit) {
        rule.condcnt = 0;
        rule.actioncnt = 0;
        return Outcome::Partly;
    }
    cutTo(rule.conds, rule.condcnt);
    keys_.ReadIntKey("fcnt", rule.fcnt);
    keys_.ReadIntKey("fsize", rule.fsize);
    if (lost()) {
        rule.condcnt = 0;
        rule.actioncnt = 0;
        return Outcome::Partly;
    }
    // A rule whose conditions or actions were cut short keeps no actions after the cut, so it
    // can never act on a half-read condition.
    for (std::int32_t c = 0; c < rule.condcnt; ++c) {
        const Outcome outcome = readCondition(reach(rule.conds, c));
        if (outcome != Outcome::Whole) {
            rule.condcnt = outcome == Outcome::NotReached ? c : c + 1;
            rule.actioncnt = 0;
            return Outcome::Partly;
        }
    }
    keys_.ReadIntKey("actioncnt", rule.actioncnt);
    if (lost() || !fitCount(rule.actioncnt, kItemLines)) {
        rule.actioncnt = 0;
        return Outcome::Partly;
    }
    cutTo(rule.actions, rule.actioncnt);
    for (std::int32_t a = 0; a < rule.actioncnt; ++a) {
        const Outcome outcome = readAction(reach(rule.actions, a));
        if (outcome != Outcome::Whole) {
            rule.actioncnt = outcome == Outcome::NotReached ? a : a + 1;
            return Outcome::Partly;
        }
    }
    return Outcome::Whole;
}

TableReader::Outcome TableReader::readCondition(ruleacondrec& cond) {
    keys_.ReadIntKey("rcond", cond.rcond);
    if (lost())
        return Outcome::NotReached;
    switch (cond.rcond) {
    case FileExt:
        keys_.ReadStrKey("ext", cond.rcondFileExt.ext);
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
        if (next && next->substr(0, 6) == "rdnum=")
            keys_.ReadIntKey("rdnum", cond.rdnum);
        break;
    }
    case FileDateNew:
        keys_.ReadIntKey("filecnt", cond.newfilecnt);
        break;
    case FileDateOld:
        keys_.ReadIntKey("filecnt", cond.oldfilecnt);
        break;
    default:
        break;
    }
    return lost() ? Outcome::Partly : Outcome::Whole;
}

TableReader::Outcome TableReader::readAction(ruleactionrec& action) {
    keys_.ReadIntKey("raction", action.raction);
    if (lost())
        return Outcome::NotReached;
    switch (action.raction) {
    case rMove:
        keys_.ReadStrKey("filepath", action.racmove.filepath);
        break;
    case rCopy:
        keys_.ReadStrKey("filepath", action.raccopy.filepath);
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
    default:
        break;
    }
    return lost() ? Outcome::Partly : Outcome::Whole;
}

// Far beyond any table a person builds (a folder with a rule takes a few hundred bytes), and
// small enough that what the reader makes of any file stays a modest amount of memory.
constexpr std::size_t kMaxConfigBytes = std::size_t{4} << 20;

// Loads the whole file; a read error keeps what came before it and is reported line by line.
// A file larger than kMaxConfigBytes counts as one that could not be read to its end: its
// complete lines up to the limit are read and the file is kept aside at the next save.
bool loadFile(const std::string& path, std::string& content, bool& readFailed) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[65536];
    for (;;) {
        if (content.size() > kMaxConfigBytes) {
            readFailed = true;
            const auto lastLineEnd = content.rfind('\n', kMaxConfigBytes - 1);
            content.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
            break;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            // Nothing at all could be read (a folder, say): the file cannot be opened.
            readFailed = true;
            if (content.empty()) {
                ::close(fd);
                return false;
            }
            break;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

char systemDecimalSeparator() {
    const std::lconv* conv = std::localeconv();
    return conv && conv->decimal_point && conv->decimal_point[0] ? conv->decimal_point[0] : '.';
}

} // namespace

namespace {

std::int32_t readLines(LineSource& lines, ServiceTable& table, const MessageSink& sink) {
    KeyReader keys(lines, sink);
    const auto first = lines.ReadLine();
    if (!first || *first != "[Main Info]") {
        sink("Error: Invalid alarm file");
        table.setAsideBeforeSave = true;
        return -1;
    }
    std::string versionText;
    keys.ReadStrKey("Version", versionText);
    if (auto version = ParseVersion(versionText, systemDecimalSeparator()))
        table.configVersion = *version;
    else
        sink("Error retrieving version number.");

    TableReader reader(keys, table);
    const bool whole = reader.readAll();
    RestoreTableInvariants(table);
    if (whole)
        return 0;
    table.setAsideBeforeSave = true;
    return -1;
}

} // namespace

std::int32_t ReadConfigContent(std::string content, ServiceTable& table, const MessageSink& sink) {
    LineSource lines(std::move(content));
    return readLines(lines, table, sink);
}

std::int32_t ReadConfigFile(const std::string& path, ServiceTable& table, const MessageSink& sink) {
    std::string content;
    bool readFailed = false;
    if (!loadFile(path, content, readFailed)) {
        // A file that is there but cannot be read must not be replaced by the next save.
        if (::access(path.c_str(), F_OK) == 0)
            table.setAsideBeforeSave = true;
        return -2;
    }
    LineSource lines(std::move(content), readFailed);
    return readLines(lines, table, sink);
}

} // namespace lp
