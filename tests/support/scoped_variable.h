#pragma once
// An environment variable set (or unset, for nullptr) for one scope, and put back after it,
// however the scope ends. Every test that changes a variable does so through one of these.

#include "environment_variable.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace lp::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : ScopedVariable(name) { set(value); }
    // Only keeps the value: whatever the scope sets meanwhile (with set, or by the code under
    // test) is undone at its end.
    explicit ScopedVariable(const char* name) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
    }
    ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

    void set(const char* value) const { setEnvironmentVariable(name_.c_str(), value); }
    void set(const std::string& value) const { set(value.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace lp::test
