#pragma once
// The largest |x1 cos t + x2 sin t| over a two-component history, for every angle t at once.
//
// For a direction d, max over time of |d . p| is the support function of the convex hull of
// the points p and their opposites -p, reached at one of its vertices. So the history is kept
// as that hull: a point inside it cannot raise any direction's peak and is passed over, and
// only the few that lie outside are merged in (Andrew's monotone chain). The peaks of 180
// directions then cost 180 passes over a few dozen vertices instead of over the history.

#include <array>
#include <cstddef>
#include <vector>

namespace accprep {

inline constexpr int kRotationAngles = 180;  // 0, 1, ..., 179 degrees

class ProjectionPeaks {
 public:
  struct Point {
    double x1, x2;
  };

  // Adds the points (x1[i * stride], x2[i * stride]), i < count.
  void Add(const double* x1, const double* x2, std::size_t count, std::size_t stride);
  // Adds a block of points known to lie in [min1, max1] x [min2, max2]: nothing more is
  // looked at where the box lies inside the hull already.
  void AddBlock(double min1, double max1, double min2, double max2, const double* x1,
                const double* x2, std::size_t count, std::size_t stride);

  // max |x1 cos t + x2 sin t| over every point added, t = k degrees for k = 0 .. 179; zeros
  // without points.
  std::array<double, kRotationAngles> Peaks();

  // The hull's vertices so far (of the points and their opposites), counterclockwise.
  const std::vector<Point>& Hull();

 private:
  bool Inside(double x1, double x2) const;
  void Merge();

  std::vector<Point> hull_;
  std::vector<Point> pending_;  // points found outside the hull, with their opposites
};

}  // namespace accprep
