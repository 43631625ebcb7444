#pragma once
// Setting or removing one environment variable of this process. The time zone is read again, so
// that a change of TZ takes effect at once.

#include <cstdlib>
#include <ctime>

namespace lp::test {

// value nullptr removes the variable.
inline void setEnvironmentVariable(const char* name, const char* value) {
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
    ::tzset();
}

} // namespace lp::test
