#include "measures/least_squares.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace accprep {
namespace {

// Many small random problems: the residual of the solution is orthogonal to every column (the
// normal equations, the definition of a least-squares solution), and a consistent system gives
// back its own solution, even with columns of sizes 1e-6 to 1e6 apart.
TEST(LeastSquares, MeetsTheNormalEquationsOfRandomProblems) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    const std::size_t n = 1 + trial % 6;
    const std::size_t m = n + trial % 7;
    std::vector<double> scales(n);
    for (double& s : scales) s = std::pow(10.0, 12.0 * (uniform(random) + 1.0) / 2.0 - 6.0);
    std::vector<double> a(m * n);
    for (std::size_t i = 0; i < m * n; ++i) a[i] = uniform(random) * scales[i % n];
    std::vector<double> truth(n);
    for (std::size_t j = 0; j < n; ++j) truth[j] = uniform(random) / scales[j];

    LeastSquares consistent(n);
    LeastSquares noisy(n);
    std::vector<double> b(m);
    for (std::size_t i = 0; i < m; ++i) {
      double rhs = 0.0;
      for (std::size_t j = 0; j < n; ++j) rhs += a[i * n + j] * truth[j];
      consistent.Add(&a[i * n], rhs);
      b[i] = rhs + uniform(random);
      noisy.Add(&a[i * n], b[i]);
    }
    const auto exact = consistent.Solve();
    ASSERT_TRUE(exact) << trial;
    for (std::size_t j = 0; j < n; ++j) {
      EXPECT_NEAR((*exact)[j] * scales[j], truth[j] * scales[j], 1e-9) << trial;
    }
    const auto x = noisy.Solve();
    ASSERT_TRUE(x) << trial;
    for (std::size_t j = 0; j < n; ++j) {
      double dot = 0.0;
      double norm = 0.0;
      for (std::size_t i = 0; i < m; ++i) {
        double residual = -b[i];
        for (std::size_t k = 0; k < n; ++k) residual += a[i * n + k] * (*x)[k];
        dot += a[i * n + j] * residual;
        norm += std::fabs(a[i * n + j] * b[i]);
      }
      EXPECT_LE(std::fabs(dot), 1e-12 * norm) << trial << " column " << j;
    }
  }
}

TEST(LeastSquares, NoSolutionWithoutEnoughIndependentEquations) {
  LeastSquares tooFew(3);
  const double row[] = {1.0, 2.0, 3.0};
  tooFew.Add(row, 1.0);
  tooFew.Add(row, 2.0);
  EXPECT_FALSE(tooFew.Solve());

  LeastSquares dependent(2);  // the second column is twice the first
  for (double v : {1.0, 2.0, 3.0, 4.0}) {
    const double pair[] = {v, 2.0 * v};
    dependent.Add(pair, v);
  }
  EXPECT_FALSE(dependent.Solve());

  LeastSquares zeroColumn(2);
  for (double v : {1.0, 2.0, 3.0}) {
    const double pair[] = {v, 0.0};
    zeroColumn.Add(pair, v);
  }
  EXPECT_FALSE(zeroColumn.Solve());
}

}  // namespace
}  // namespace accprep
