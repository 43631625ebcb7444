// Files of the largest size that consist of the smallest records: what the reader keeps of them
// must stay a modest amount of memory, and the file must be said as not read whole.

#include "globals/config_file.h"
#include "globals/config_lines.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace lp {
namespace {

constexpr std::size_t kBound = std::size_t{64} << 20;

std::size_t textBytes(const std::string& text) {
    return text.capacity() > 15 ? text.capacity() + 1 : 0; // short texts live inside the record
}

// The heap memory the table holds: every array's capacity and every text kept outside its record.
std::size_t heldBytes(const ServiceTable& table) {
    std::size_t bytes = table.services.capacity() * sizeof(rServiceRules);
    for (const rServiceRules& service : table.services) {
        bytes += textBytes(service.sharedir) + textBytes(service.othername) +
                 textBytes(service.excludefiles);
        bytes += service.rulelist.rules.capacity() * sizeof(RuleRec);
        for (const RuleRec& rule : service.rulelist.rules) {
            bytes += textBytes(rule.rulename) + rule.conds.capacity() * sizeof(ruleacondrec) +
                     rule.actions.capacity() * sizeof(ruleactionrec);
            for (const ruleacondrec& cond : rule.conds)
                bytes += textBytes(cond.rcondFileExt.ext);
            for (const ruleactionrec& action : rule.actions)
                bytes += textBytes(action.racmove.filepath) + textBytes(action.raccopy.filepath) +
                         textBytes(action.raclaunch.fprogram) + textBytes(action.raclaunch.fparams);
        }
    }
    return bytes;
}

const std::string kHead = "[Main Info]\nVersion=1.00\nUseSMTP=0\nSMTP Server=\nReplyTo=\n"
                          "Service Count=1\nCustom Count=1\n[Service 1]\nserviceid=5\nothernum=1\n"
                          "othername=a\nenabled=0\nsharedir=/a\nexcludefiles=\nrulecnt=1\n"
                          "[Rule 1]\nrulename=r\nenabled=0\nmcond=0\n";

struct MemoryCase {
    const char* name;
    std::string ruleRest; // after mcond
    std::string unit;     // repeated up to the size limit
    const char* said;     // a part of the message
};

class LargestFile : public testing::TestWithParam<MemoryCase> {};

TEST_P(LargestFile, IsReadWithinTheMemoryBoundAndSaid) {
    const MemoryCase& c = GetParam();
    std::string content = kHead + c.ruleRest;
    while (content.size() + c.unit.size() <= config::kMaxConfigBytes)
        content += c.unit;
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, content);

    ServiceTable table;
    std::vector<std::string> messages;
    EXPECT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }),
              -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(c.said), std::string::npos) << messages[0];
    // The file itself is held once more while it is read.
    EXPECT_LT(heldBytes(table) + 2 * config::kMaxConfigBytes, kBound);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LargestFile,
    testing::Values(
        MemoryCase{"EqualsLinesAsActions", "condcnt=0\nfcnt=0\nfsize=0\nactioncnt=2000000000\n",
                   "=2\n", "Expected raction=, found =2."},
        MemoryCase{"DeleteActions", "condcnt=0\nfcnt=0\nfsize=0\nactioncnt=2000000000\n",
                   "raction=2\n", "The file holds more records than Larchpost reads"},
        MemoryCase{"ConditionsOfNoKind", "condcnt=2000000000\nfcnt=0\nfsize=0\n", "rcond=9\n",
                   "The file holds more records than Larchpost reads"},
        MemoryCase{"ExtensionConditionsWithLongTexts", "condcnt=2000000000\nfcnt=0\nfsize=0\n",
                   "rcond=0\next=" + std::string(16, 'e') + "\n",
                   "Expected rcond=, found the end"}),
    [](const testing::TestParamInfo<MemoryCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace lp
