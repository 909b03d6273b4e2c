#pragma once
// The largest |x1 cos t + x2 sin t| over a two-component history, for t = 0, 1, ..., 179
// degrees at once, without 180 passes over the history.
//
// The 180 peaks h_k found so far describe the region no point can raise: |d_k . p| <= h_k for
// every k. A point well inside it is passed over after a test of 18 directions, 10 degrees
// apart, against offsets c_j chosen so that passing those proves all 180: between two tested
// directions d_j, d_j+1 every d_k is (sin(t_j+1 - t_k) d_j + sin(t_k - t_j) d_j+1) / sin 10
// degrees, so |d_k . p| <= (sin(t_j+1 - t_k) c_j + sin(t_k - t_j) c_j+1) / sin 10 degrees,
// which the offsets keep at or below h_k. The disc of radius min c_j lies inside those 18,
// and a block of points whose box lies in them is passed over whole. Only the points near the
// edge of what came before, few once a record's strong motion has passed, update the 180
// peaks themselves, with the very products a pass over every point would take.

#include <array>
#include <cstddef>

namespace accprep {

inline constexpr int kRotationAngles = 180;  // 0, 1, ..., 179 degrees

class ProjectionPeaks {
 public:
  ProjectionPeaks();

  // Adds the points (x1[i * stride], x2[i * stride]), i < count.
  void Add(const double* x1, const double* x2, std::size_t count, std::size_t stride);
  // Adds a block of points known to lie in [min1, max1] x [min2, max2].
  void AddBlock(double min1, double max1, double min2, double max2, const double* x1,
                const double* x2, std::size_t count, std::size_t stride);

  // max |x1 cos t + x2 sin t| over every point added, t = k degrees for k = 0 .. 179 (the
  // sine and cosine of k * pi / 180); zeros without points.
  const std::array<double, kRotationAngles>& Peaks() const { return state_.peaks; }

  // What the kernels work on; not for callers.
  struct State {
    alignas(32) std::array<double, kRotationAngles> peaks{};
    // c_j of the tested directions (10 j degrees), two more that pass anything to fill a
    // vector; all zero at first, so that only the origin passes.
    alignas(32) std::array<double, 20> offsets{};
    double radiusSquared = 0.0;  // (min c_j)^2
    int raised = 0;              // points that went to the peaks since the offsets were found
  };

 private:
  State state_;
  bool wide_;  // the four-lane kernels run here
};

}  // namespace accprep
