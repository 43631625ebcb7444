#pragma once
// An environment variable set (or unset, for nullptr) for one scope, and put back after it. The
// time zone is read again both ways, so that TZ takes effect at once.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace lp::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        set(value);
    }
    ~ScopedVariable() { set(old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const char* value) const {
        value ? ::setenv(name_.c_str(), value, 1) : ::unsetenv(name_.c_str());
        ::tzset();
    }

    std::string name_;
    std::optional<std::string> old_;
};

} // namespace lp::test
