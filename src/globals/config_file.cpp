#include "config_file.h"

#include "config_lines.h"
#include "platform/atomic_file.h"

#include <algorithm>

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
    std::error_code ignored;
    return WriteConfigFile(path, table, ignored);
}

std::int32_t WriteConfigFile(const std::string& path, ServiceTable& table, std::error_code& error) {
    const std::string content = FormatConfigFile(table);
    if (!table.setAsideBeforeSave) {
        error = platform::WriteFileAtomically(path, content);
        return error ? -2 : 0;
    }
    std::string keptAs;
    error = platform::ReplaceFileKeepingOld(path, content, keptAs);
    if (error)
        return -2;
    table.setAsideBeforeSave = false;
    return 0;
}

} // namespace lp
