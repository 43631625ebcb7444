#include "config_file.h"

#include "config_lines.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <span>

namespace lp {

using namespace config;

namespace {

// A count never promises more entries than its array holds; a shorter array would have the
// writer read past its end.
std::int32_t usableCount(std::int32_t count, std::size_t size) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(count, 0, static_cast<std::int64_t>(size)));
}

// In a version-2 file "{" in a destination starts a placeholder, so a literal one is doubled: a
// folder named "a{b}" stays that folder.
std::string destination(const ruleactionrec& action, const std::string& folder, bool version2) {
    if (!version2 || action.unknownPlaceholder || action.templated)
        return folder;
    std::string escaped;
    for (char c : folder) {
        escaped += c;
        if (c == '{')
            escaped += '{';
    }
    return escaped;
}

bool conditionIsNew(const ruleacondrec& cond) {
    return !cond.foreign && (cond.rcond == FileNameMatching || cond.rcond == FileNameNotMatching ||
                             cond.rcond == FileTypeMatching || cond.rcond == DownloadedFrom ||
                             (cond.rcond == FileExt && cond.rcondFileExt.anyCase));
}

// The first count entries of records, as the writer writes them.
template <class Record>
std::span<const Record> written(const std::vector<Record>& records, std::int32_t count) {
    return {records.data(), static_cast<std::size_t>(usableCount(count, records.size()))};
}

bool ruleIsNew(const RuleRec& rule) {
    return rule.anyCondition || rule.stopAfter ||
           std::ranges::any_of(written(rule.conds, rule.condcnt), conditionIsNew) ||
           std::ranges::any_of(written(rule.actions, rule.actioncnt),
                               [](const ruleactionrec& action) {
                                   return action.unknownPlaceholder || action.templated ||
                                          action.raction == rRename;
                               });
}

void writeCondition(std::string& out, const ruleacondrec& cond, bool version2) {
    WriteIntKey(out, "rcond", cond.rcond);
    if (cond.foreign) {
        // Version 2 knows the kind and would look for its keys: the mark keeps it meaningless.
        if (version2)
            WriteBoolKey(out, "foreign", true);
        return;
    }
    switch (cond.rcond) {
    case FileExt:
        WriteStrKey(out, "ext", cond.rcondFileExt.ext);
        // Written only when on, so that a file that uses nothing new keeps its old lines.
        if (cond.rcondFileExt.anyCase)
            WriteBoolKey(out, "extanycase", true);
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
    case FileNameMatching:
    case FileNameNotMatching:
        WriteStrKey(out, "names", cond.names);
        break;
    case FileTypeMatching:
        WriteStrKey(out, "types", cond.types);
        break;
    case DownloadedFrom:
        WriteStrKey(out, "origins", cond.origins);
        break;
    default:
        break;
    }
}

void writeAction(std::string& out, const ruleactionrec& action, bool version2) {
    WriteIntKey(out, "raction", action.raction);
    switch (action.raction) {
    case rMove:
        WriteStrKey(out, "filepath", destination(action, action.racmove.filepath, version2));
        break;
    case rCopy:
        WriteStrKey(out, "filepath", destination(action, action.raccopy.filepath, version2));
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
    case rRename:
        if (version2)
            WriteStrKey(out, "newname", action.racrename.newname);
        break;
    default:
        break;
    }
}

void writeRule(std::string& out, const RuleRec& rule, int number, bool version2) {
    WriteLine(out, "[Rule " + std::to_string(number) + "]");
    const std::int32_t condcnt = usableCount(rule.condcnt, rule.conds.size());
    const std::int32_t actioncnt = usableCount(rule.actioncnt, rule.actions.size());
    WriteStrKey(out, "rulename", rule.rulename);
    WriteBoolKey(out, "enabled", rule.enabled);
    WriteIntKey(out, "mcond", rule.mcond);
    WriteIntKey(out, "condcnt", condcnt);
    WriteIntKey(out, "fcnt", rule.fcnt);
    WriteIntKey(out, "fsize", rule.fsize);
    // The rule's own options, each only when it differs from what every older rule does.
    if (rule.anyCondition)
        WriteBoolKey(out, "anycond", true);
    if (rule.stopAfter)
        WriteBoolKey(out, "stopafter", true);
    for (std::int32_t c = 0; c < condcnt; ++c)
        writeCondition(out, rule.conds[c], version2);
    WriteIntKey(out, "actioncnt", actioncnt);
    for (std::int32_t a = 0; a < actioncnt; ++a)
        writeAction(out, rule.actions[a], version2);
}

void writeService(std::string& out, const rServiceRules& service, std::size_t number,
                  bool version2) {
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
    // The folder's own option, only when it differs from what every older folder does.
    if (service.subfolders > 0)
        WriteIntKey(out, "subfolders", service.subfolders);
    for (std::int32_t r = 0; r < rulecnt; ++r)
        writeRule(out, service.rulelist.rules[r], r + 1, version2);
}

} // namespace

bool WritesVersionTwo(const ServiceTable& table) {
    if (table.configVersion >= 2.0)
        return true;
    return std::ranges::any_of(table.services, [](const rServiceRules& service) {
        return service.subfolders > 0 ||
               std::ranges::any_of(written(service.rulelist.rules, service.rulelist.rulecnt),
                                   ruleIsNew);
    });
}

std::string FormatConfigFile(const ServiceTable& table) {
    const bool version2 = WritesVersionTwo(table);
    std::string out;
    WriteLine(out, "[Main Info]");
    WriteStrKey(out, "Version", version2 ? "2.00" : "1.00");
    WriteBoolKey(out, "UseSMTP", table.settings.UseSMTP);
    WriteStrKey(out, "SMTP Server", table.settings.SMTPServer);
    WriteStrKey(out, "ReplyTo", table.settings.ReplyTo);
    WriteIntKey(out, "Service Count", static_cast<std::int64_t>(table.services.size()));
    WriteIntKey(out, "Custom Count", table.customCount);
    for (std::size_t i = 0; i < table.services.size(); ++i)
        writeService(out, table.services[i], i + 1, version2);
    return out;
}

std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table) {
    std::error_code ignored;
    return WriteConfigFile(path, table, ignored);
}

std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table, std::error_code& error) {
    const std::string content = FormatConfigFile(table);
    const bool version2 = WritesVersionTwo(table);
    if (!table.setAsideBeforeSave) {
        error = platform::WriteFileAtomically(path, content);
    } else {
        std::string keptAs;
        error = platform::ReplaceFileKeepingOld(path, content, keptAs);
    }
    if (error)
        return -2;
    table.setAsideBeforeSave = false;
    // Once saved as version 2 the file stays so, also when what was new is taken out again.
    if (version2)
        table.configVersion = std::max(table.configVersion, 2.0);
    return 0;
}

} // namespace lp
