// The two compiled effects of the tests' resource library (lw_test_res.dll, RCDATA 63 and 64):
// small effects that differ in their technique's name, so that a test can tell which one it
// was given, and that hold one number the test can set on one effect and read on another.
#pragma once

#include <cstdint>
#include <vector>

// The names the tests look for.
constexpr const char* kFirstTestTechnique = "FirstTestEffect";
constexpr const char* kSecondTestTechnique = "SecondTestEffect";
constexpr const char* kTestEffectLevel = "level"; // a float, 0 when the effect is made

// An effect with one float parameter and one technique `technique` of one pass that turns
// depth testing off.
std::vector<uint8_t> BuildTestEffect(const char* technique);
