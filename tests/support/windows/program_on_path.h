#pragma once
// A program that every system of this kind has on its search path, for tests that start one or
// foresee starting it.

namespace lp::test {

inline constexpr char kProgramOnPath[] = "cmd";

} // namespace lp::test
