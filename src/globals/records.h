#pragma once
// The service table and its records: everything Larchpost automates lives in these plain value
// records. The configuration file is a line-by-line image of them.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

// serviceid values. The six built-in services only exist when a configuration file holds them;
// every folder the user adds carries kOtherService.
enum ServiceIdValue : std::uint8_t {
    kKazaa = 0,
    kMorpheus = 1,
    kGrokster = 2,
    kAudioGalaxy = 3,
    kBearShare = 4,
    kOtherService = 5,
    kLimeWire = 6,
};

// mcond values: a rule's trigger.
enum TriggerKind : std::uint8_t {
    NewFile = 0,
    AnyFile = 1,
    FileCount = 2,
    TotalFileSize = 3,
};

// rcond values: a condition's kind.
enum ConditionKind : std::uint8_t {
    FileExt = 0,
    FileSize = 1,
    FileDate = 2,
    FileDateNew = 3,
    FileDateOld = 4,
    // Known from version 2 of the file on.
    FileNameMatching = 5,
    FileNameNotMatching = 6,
    FileTypeMatching = 7, // the content's type, see types
    DownloadedFrom = 8,   // the address the file came from, see origins
};

// The newest condition kind this program knows; a rule holding another is passed over.
constexpr std::uint8_t kLastConditionKind = DownloadedFrom;

// rnum / rdnum values. cmpNone is never produced by the editor and is no valid stored value.
enum Comparison : std::uint8_t {
    cmpLess = 0,
    cmpNone = 1,
    cmpGreater = 2,
};

// raction values: an action's kind.
enum ActionKind : std::uint8_t {
    rMove = 0,
    rCopy = 1,
    rDelete = 2,
    rFTP = 3,
    rLaunch = 4,
    // Known from version 2 of the file on.
    rRename = 5,
};

// One entry seen in a folder scan. Sizes are 64-bit so that files of 2 GiB and more count whole.
struct filerec {
    std::string name; // the bare entry name, no folder part
    std::int64_t size = 0;
    double date = 0.0; // last-write time in local time: whole days, fraction = time of day
    bool operator==(const filerec&) const = default;
};

struct rcondFileExtRec {
    std::string ext;      // extensions without dots, separated by ";"
    bool anyCase = false; // "PDF" counts as "pdf" (ASCII letters); never set in a version-1 file
    bool operator==(const rcondFileExtRec&) const = default;
};

struct ruleacondrec {
    std::uint8_t rcond = 0;
    rcondFileExtRec rcondFileExt;
    std::uint8_t rnum = 0;       // comparison of a FileSize condition
    std::int32_t size = 0;       // kilobytes; -1 = not yet given
    std::uint8_t rdnum = 0;      // comparison of a FileDate condition
    std::int32_t rdays = 0;      // whole days; -1 = not yet given
    std::int32_t newfilecnt = 0; // -1 = not yet given
    std::int32_t oldfilecnt = 0; // -1 = not yet given
    std::string names{};         // wildcard patterns of a name condition, separated by ";"
    std::string types{};         // category words ("Images") and MIME patterns ("image/*"), by ";"
    std::string origins{};       // wildcard patterns over a download address, separated by ";"
    // Read from a file whose version has no such kind (rcond=5 to 8 in a version-1 file): kept and
    // written back as it stood, never evaluated.
    bool foreign = false;

    bool operator==(const ruleacondrec&) const = default;
};

struct racmoverec {
    std::string filepath;
    bool operator==(const racmoverec&) const = default;
};

struct raccopyrec {
    std::string filepath;
    bool operator==(const raccopyrec&) const = default;
};

struct racftprec {
    std::string ftpserver;
    std::string ftppath;
    std::int32_t ftpport = 0;
    std::string ftpuser;
    std::string ftppass;
    bool ftpascmode = false; // true = ASCII transfer
    bool ftppassive = false;
    bool operator==(const racftprec&) const = default;
};

struct raclaunchrec {
    std::string fprogram;
    std::string fparams; // the word "mfile" stands for the found file
    bool operator==(const raclaunchrec&) const = default;
};

struct racrenamerec {
    std::string newname; // a name template, spelled as the file stores it ("{{" for "{")
    bool operator==(const racrenamerec&) const = default;
};

struct ruleactionrec {
    std::uint8_t raction = 0;
    // The destination of a move or copy holds a placeholder Larchpost does not know: filepath is
    // then kept as the file spells it ("{" escaped as "{{"), and the rule is passed over.
    bool unknownPlaceholder = false;
    racmoverec racmove;
    raccopyrec raccopy;
    racftprec racftp;
    raclaunchrec raclaunch;
    // Version 2: the destination of a move or copy holds placeholders and filepath is kept as the
    // file spells it ("{" of a folder's own name as "{{"); otherwise filepath is the folder itself.
    bool templated = false;
    racrenamerec racrename;

    bool operator==(const ruleactionrec&) const = default;
};

// Counts are authoritative: the arrays may be longer than their counts, never shorter.
struct RuleRec {
    std::string rulename;
    bool enabled = false;
    std::int32_t fcnt = 0;  // file-count limit of FileCount
    std::int32_t fsize = 0; // total-size limit of TotalFileSize, in megabytes of 1,024,000 bytes
    std::uint8_t mcond = 0;
    std::int32_t condcnt = 0;
    std::vector<ruleacondrec> conds;
    std::int32_t actioncnt = 0;
    std::vector<ruleactionrec> actions;
    bool anyCondition = false; // any one condition selects a file, rather than all together
    bool stopAfter = false;    // the folder's later rules leave the files this rule took alone
    // Compares the arrays whole, elements past the counts included.
    bool operator==(const RuleRec&) const = default;
};

// A file on which an operation of a rule failed while the file stayed where it was: the rule
// takes it up again at that operation, at growing intervals, for a day.
struct PendingRetry {
    filerec file;               // as listed when it failed; a file that changed starts over
    bool identityKnown = false; // size and date were listed; otherwise taken at the next look
    std::int32_t resumeAt = 0;  // the action the rule takes the file up at
    std::chrono::steady_clock::time_point firstFailed, lastTried;
    std::chrono::steady_clock::duration interval{}; // from the last try to the next
    bool hourly = false;                            // tried once an hour from now on, said once
    bool givenUp = false; // tried for a day: left alone while it stays as it is
    bool operator==(const PendingRetry&) const = default;
};

// The files one rule is to take up again, with the rule as it was then: a rule that was changed,
// moved or switched off since starts over.
struct RuleRetries {
    std::int32_t position = 0; // in the service's rule list
    RuleRec rule;
    std::vector<PendingRetry> files;
    bool operator==(const RuleRetries&) const = default;
};

struct RuleList {
    std::int32_t rulecnt = 0;
    std::vector<RuleRec> rules;
    bool operator==(const RuleList&) const = default;
};

// The deepest a folder's sub-folders are watched: "all" levels stands for this many.
inline constexpr std::int32_t kMostSubfolderLevels = 32;

struct rServiceRules {
    std::uint8_t serviceid = 0;
    std::string sharedir;
    std::string excludefiles; // patterns separated by ";"
    bool enabled = false;
    bool knownready = false; // not persisted
    std::string othername;
    std::int32_t othernum = 0;        // 1-based position among the user-defined services
    std::int32_t knowncnt = 0;        // not persisted
    std::vector<filerec> knownfiles;  // not persisted
    std::vector<RuleRetries> retries; // not persisted
    RuleList rulelist;
    // How many levels of sub-folders below sharedir are watched with it (1 to
    // kMostSubfolderLevels); 0 watches sharedir alone, as every folder did before.
    std::int32_t subfolders = 0;
    // The sub-folders below sharedir that could not be listed last time, each said once.
    std::vector<std::string> unlistedSubfolders; // not persisted
    // The sub-folders below sharedir walked into last time, sorted: one that stands as a link now
    // was a folder of the tree, and is kept as one out of reach, empty or not.
    std::vector<std::string> walkedSubfolders; // not persisted
    // Those of them that could not be listed when the known files were first taken, and have
    // not been since: their files were there before, and count as known once they can be.
    std::vector<std::string> unlistedSinceStart; // not persisted
    // The levels of sub-folders the known files were taken over (subfolders then), once a turn
    // took them: files that more levels bring into the turn were there before, and count as
    // known, never as new.
    std::optional<std::int32_t> knownLevels; // not persisted
    // The exclusion patterns (excludefiles then) the known files were taken with, once a turn
    // took them: files a pattern since removed or narrowed lets into the turn were there before.
    std::optional<std::string> knownExclusions; // not persisted
    // The files a rename or a move inside the folder put where they are (path below the folder,
    // size, date as listed), which no rename, move or copy takes up again: a rule that acts on
    // every file each turn, or Sort Now, would otherwise rename or move its own work again.
    std::vector<filerec> renamedInPlace; // not persisted
    bool operator==(const rServiceRules&) const = default;
};

// The three settings stored beside the table in the file's first section.
struct GlobalSettings {
    bool UseSMTP = true;
    std::string SMTPServer;
    std::string ReplyTo;
    bool operator==(const GlobalSettings&) const = default;
};

// The service table with everything that travels with it through the configuration file.
struct ServiceTable {
    GlobalSettings settings;
    double configVersion = 0.0;   // 0 until a file has been read
    std::int32_t customCount = 0; // number of records whose serviceid is kOtherService
    std::vector<rServiceRules> services;
    // Set when the file last read could not be read whole. Such a file is never rewritten in place:
    // the next save first keeps it under a ".bad" name. Not persisted.
    bool setAsideBeforeSave = false;
};

} // namespace lp
