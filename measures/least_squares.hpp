#pragma once
// Dense linear least squares for the small problems of the modal fits: a few unknowns, up to
// some thousands of equations. Householder QR on columns scaled to unit length, so that
// unknowns of very different sizes (coefficients of powers of a frequency) lose no more
// digits than the problem itself costs; the normal equations would square its condition.

#include <cstddef>
#include <optional>
#include <vector>

namespace accprep {

class LeastSquares {
 public:
  // A problem of `unknowns` (>= 1) unknowns; equations are added one row at a time.
  explicit LeastSquares(std::size_t unknowns);

  std::size_t unknowns() const { return unknowns_; }
  std::size_t equations() const { return rhs_.size(); }

  // Adds the equation sum_j row[j] x[j] = rhs; `row` holds unknowns() coefficients.
  void Add(const double* row, double rhs);

  // The x that minimises the sum of squared residuals of the equations added. None when
  // there are fewer equations than unknowns, or the columns are dependent (to about 1e-12
  // of their lengths), so that no single solution stands.
  std::optional<std::vector<double>> Solve() const;

 private:
  std::size_t unknowns_;
  std::vector<double> matrix_;  // row-major, equations() x unknowns_
  std::vector<double> rhs_;
};

}  // namespace accprep
