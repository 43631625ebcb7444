#pragma once
// The core's warnings kept for one scope instead of shown, and the usual sink put back after.

#include "globals/log_sink.h"

#include <string>
#include <vector>

namespace lp::test {

class CapturedLog {
public:
    CapturedLog() {
        SetLogSink([this](const std::string& message) { lines.push_back(message); });
    }
    ~CapturedLog() { SetLogSink({}); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::vector<std::string> lines;
};

} // namespace lp::test
