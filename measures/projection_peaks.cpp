#include "measures/projection_peaks.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace accprep {
namespace {

using Point = ProjectionPeaks::Point;

// Twice the signed area of (a, b, c): positive where c lies left of a -> b.
double Cross(const Point& a, const Point& b, const Point& c) {
  return (b.x1 - a.x1) * (c.x2 - a.x2) - (b.x2 - a.x2) * (c.x1 - a.x1);
}

// True where c lies left of a -> b beyond doubt: the cross product exceeds what its rounding
// could make of zero (the bound of Shewchuk's orientation test, rounded up). A hull so thin
// that its sides are lost in rounding, as of motion along a line, then holds nothing for
// certain, and every point is kept.
bool SurelyLeft(const Point& a, const Point& b, const Point& c) {
  const double left = (b.x1 - a.x1) * (c.x2 - a.x2);
  const double right = (b.x2 - a.x2) * (c.x1 - a.x1);
  return left - right > 4e-16 * (std::fabs(left) + std::fabs(right));
}

// Points outside the hull wait here until this many (or as many as the hull has vertices)
// have come, so that a merge's sort is paid for by many points.
constexpr std::size_t kLeastPending = 64;

}  // namespace

bool ProjectionPeaks::Inside(double x1, double x2) const {
  // The origin lies in the hull of any points and their opposites, and raises no peak.
  if (x1 == 0.0 && x2 == 0.0) return true;
  const std::size_t m = hull_.size();
  if (m < 3) return false;
  const Point p{x1, x2};
  const Point& apex = hull_[0];
  // The fan of triangles from the first vertex: p must lie within its outer edges, then in
  // the triangle of its wedge, found by halving. The wedge may come out as a neighbour where p
  // lies on the ray between them; p then lies within the rounding of that ray, and the edge
  // tests, which are sure, decide alike.
  if (!SurelyLeft(apex, hull_[1], p) || !SurelyLeft(hull_[m - 1], apex, p)) return false;
  std::size_t low = 1;
  std::size_t high = m - 1;
  while (high - low > 1) {
    const std::size_t middle = (low + high) / 2;
    if (Cross(apex, hull_[middle], p) >= 0.0) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return SurelyLeft(hull_[low], hull_[low + 1], p);
}

void ProjectionPeaks::Add(const double* x1, const double* x2, std::size_t count,
                          std::size_t stride) {
  for (std::size_t i = 0; i < count; ++i) {
    const double a = x1[i * stride];
    const double b = x2[i * stride];
    if (Inside(a, b)) continue;
    pending_.push_back({a, b});
    pending_.push_back({-a, -b});
    if (pending_.size() >= std::max(kLeastPending, hull_.size())) Merge();
  }
}

void ProjectionPeaks::AddBlock(double min1, double max1, double min2, double max2, const double* x1,
                               const double* x2, std::size_t count, std::size_t stride) {
  // A box whose corners lie in the (convex) hull lies in it whole, and so do its points.
  if (Inside(min1, min2) && Inside(min1, max2) && Inside(max1, min2) && Inside(max1, max2)) {
    return;
  }
  Add(x1, x2, count, stride);
}

void ProjectionPeaks::Merge() {
  if (pending_.empty()) return;
  std::vector<Point> points = std::move(pending_);
  pending_.clear();
  points.insert(points.end(), hull_.begin(), hull_.end());
  std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
    return a.x1 < b.x1 || (a.x1 == b.x1 && a.x2 < b.x2);
  });
  points.erase(
      std::unique(points.begin(), points.end(),
                  [](const Point& a, const Point& b) { return a.x1 == b.x1 && a.x2 == b.x2; }),
      points.end());
  hull_.clear();
  if (points.size() < 3) {
    hull_ = points;
    return;
  }
  // Andrew's monotone chain: the lower hull left to right, then the upper right to left,
  // dropping every point that does not turn left.
  std::vector<Point> chain(2 * points.size());
  std::size_t k = 0;
  for (const Point& p : points) {
    while (k >= 2 && Cross(chain[k - 2], chain[k - 1], p) <= 0.0) --k;
    chain[k++] = p;
  }
  for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    const Point& p = points[i];
    while (k >= lower && Cross(chain[k - 2], chain[k - 1], p) <= 0.0) --k;
    chain[k++] = p;
  }
  chain.resize(k - 1);  // the last point is the first again
  hull_ = std::move(chain);
}

const std::vector<ProjectionPeaks::Point>& ProjectionPeaks::Hull() {
  Merge();
  return hull_;
}

std::array<double, kRotationAngles> ProjectionPeaks::Peaks() {
  Merge();
  std::array<double, kRotationAngles> peaks{};
  for (int k = 0; k < kRotationAngles; ++k) {
    const double angle = k * std::numbers::pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double peak = 0.0;
    for (const Point& p : hull_) peak = std::max(peak, std::fabs(p.x1 * c + p.x2 * s));
    peaks[k] = peak;
  }
  return peaks;
}

}  // namespace accprep
