#include "measures/intensity_scale.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace accprep {
namespace {

TEST(ReportedIntensity, RoundsHalfUpAtTheThirdDecimalThenTruncatesToOne) {
  const struct {
    double computed;
    double reported;
  } kCases[] = {
      {4.494, 4.4},  {4.4949, 4.4}, {4.495, 4.5},  // 4.495 lies just below 4.495 in binary
      {4.4999, 4.5}, {4.45, 4.4},   {4.5, 4.5},     {4.594, 4.5}, {4.599, 4.6},    {4.995, 5.0},
      {5.995, 6.0},  {6.4949, 6.4}, {6.495, 6.5},   {0.495, 0.5}, {0.4949, 0.4},   {7.3, 7.3},
      {0.0, 0.0},    {1e-7, 0.0},   {-0.125, -0.1}, {-0.04, 0.0}, {-1.2349, -1.2},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ReportedIntensity(c.computed), c.reported) << c.computed;
  }
  EXPECT_EQ(ReportedIntensity(-INFINITY), -INFINITY);
  EXPECT_FALSE(std::signbit(ReportedIntensity(-0.04)));
}

TEST(IntensityClass, EveryBoundaryBelongsToTheClassAbove) {
  const struct {
    double from;
    IntensityClass intensityClass;
    const char* name;
    const char* code;
  } kClasses[] = {
      {0.5, IntensityClass::k1, "1", "1"},         {1.5, IntensityClass::k2, "2", "2"},
      {2.5, IntensityClass::k3, "3", "3"},         {3.5, IntensityClass::k4, "4", "4"},
      {4.5, IntensityClass::k5Lower, "5弱", "5-"}, {5.0, IntensityClass::k5Upper, "5強", "5+"},
      {5.5, IntensityClass::k6Lower, "6弱", "6-"}, {6.0, IntensityClass::k6Upper, "6強", "6+"},
      {6.5, IntensityClass::k7, "7", "7"},
  };
  IntensityClass below = IntensityClass::k0;
  for (const auto& c : kClasses) {
    // The reported values either side of the boundary, as the rounding makes them.
    EXPECT_EQ(IntensityClassOf(ReportedIntensity(c.from - 0.0051)), below) << c.from;
    EXPECT_EQ(IntensityClassOf(ReportedIntensity(c.from - 0.005)), c.intensityClass) << c.from;
    EXPECT_EQ(IntensityClassOf(c.from), c.intensityClass) << c.from;
    EXPECT_EQ(IntensityClassName(c.intensityClass), c.name);
    EXPECT_EQ(IntensityClassCode(c.intensityClass), c.code);
    below = c.intensityClass;
  }
  EXPECT_EQ(IntensityClassOf(-3.0), IntensityClass::k0);
  EXPECT_EQ(IntensityClassOf(-INFINITY), IntensityClass::k0);
  EXPECT_EQ(IntensityClassOf(9.9), IntensityClass::k7);
  EXPECT_EQ(IntensityClassName(IntensityClass::k0), "0");
}

}  // namespace
}  // namespace accprep
