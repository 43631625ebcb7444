#pragma once
// The separator between a folder and a name, as the system writes paths.

namespace lp::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

} // namespace lp::platform
