#pragma once
// Setting or removing one environment variable of this process, as the C runtime's getenv sees
// it. The time zone is read again, so that a change of TZ takes effect at once.

#include <cstdlib>
#include <ctime>
#include <string>

namespace lp::test {

// value nullptr removes the variable ("NAME=" does so on this system).
inline void setEnvironmentVariable(const char* name, const char* value) {
    const std::string entry = std::string(name) + '=' + (value ? value : "");
    ::_putenv(entry.c_str());
    ::_tzset();
}

} // namespace lp::test
