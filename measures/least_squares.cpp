#include "measures/least_squares.hpp"

#include <cmath>

namespace accprep {
namespace {

// Below this the diagonal of R says the column lies in the span of those before it.
constexpr double kDependence = 1e-12;

}  // namespace

LeastSquares::LeastSquares(std::size_t unknowns) : unknowns_(unknowns) {}

void LeastSquares::Add(const double* row, double rhs) {
  matrix_.insert(matrix_.end(), row, row + unknowns_);
  rhs_.push_back(rhs);
}

std::optional<std::vector<double>> LeastSquares::Solve() const {
  const std::size_t m = equations();
  const std::size_t n = unknowns_;
  if (m < n || n == 0) return std::nullopt;

  // Column-major copy, each column scaled to unit length; x is unscaled at the end.
  std::vector<double> a(m * n);
  std::vector<double> scale(n);
  for (std::size_t j = 0; j < n; ++j) {
    double sum = 0.0;
    for (std::size_t i = 0; i < m; ++i) sum += matrix_[i * n + j] * matrix_[i * n + j];
    if (sum == 0.0 || !std::isfinite(sum)) return std::nullopt;
    scale[j] = 1.0 / std::sqrt(sum);
    for (std::size_t i = 0; i < m; ++i) a[j * m + i] = matrix_[i * n + j] * scale[j];
  }
  std::vector<double> b = rhs_;

  // Householder reflections: column k below the diagonal is folded onto the diagonal, and the
  // same reflection is applied to the later columns and to b.
  std::vector<double> diagonal(n);
  for (std::size_t k = 0; k < n; ++k) {
    double* column = &a[k * m];
    double norm = 0.0;
    for (std::size_t i = k; i < m; ++i) norm += column[i] * column[i];
    norm = std::sqrt(norm);
    if (norm <= kDependence) return std::nullopt;
    const double alpha = column[k] > 0 ? -norm : norm;
    column[k] -= alpha;                          // v = x - alpha e_k, kept in place
    const double vv = -2.0 * alpha * column[k];  // |v|^2 = 2 norm (norm + |x_k|)
    diagonal[k] = alpha;
    if (std::fabs(alpha) <= kDependence) return std::nullopt;
    const auto reflect = [&](double* target) {
      double dot = 0.0;
      for (std::size_t i = k; i < m; ++i) dot += column[i] * target[i];
      const double factor = 2.0 * dot / vv;
      for (std::size_t i = k; i < m; ++i) target[i] -= factor * column[i];
    };
    for (std::size_t j = k + 1; j < n; ++j) reflect(&a[j * m]);
    reflect(b.data());
  }

  // Back substitution in R x = Q^T b.
  std::vector<double> x(n);
  for (std::size_t k = n; k-- > 0;) {
    double sum = b[k];
    for (std::size_t j = k + 1; j < n; ++j) sum -= a[j * m + k] * x[j];
    x[k] = sum / diagonal[k];
  }
  for (std::size_t j = 0; j < n; ++j) x[j] *= scale[j];
  return x;
}

}  // namespace accprep
