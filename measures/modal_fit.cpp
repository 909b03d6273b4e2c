#include "measures/modal_fit.hpp"

#include <array>
#include <cmath>
#include <complex>
#include <numbers>

#include "measures/least_squares.hpp"

namespace accprep {
namespace {

using Complex = std::complex<double>;

constexpr std::size_t kFewestBins = 8;
constexpr int kMostIterations = 50;
// The reweighting stops once frequency and damping move less than this between two solutions.
constexpr double kSettled = 1e-10;

// Unknowns: a1, a0 of D; n0, n1, n2 of N (real); the real and imaginary parts of t0, t1 of T.
constexpr std::size_t kUnknowns = 9;

struct Pole {
  double a1 = 0.0;
  double a0 = 0.0;
};

// One round of the linear problem, each bin weighted by 1 / |D(s)| of `previous` (1 at first).
std::optional<Pole> SolveRound(const PairSpectra& spectra, std::size_t first, std::size_t last,
                               double centre, const std::optional<Pole>& previous) {
  LeastSquares problem(kUnknowns);
  for (std::size_t k = first; k <= last; ++k) {
    // Frequencies relative to the band's centre keep the powers of s of one size.
    const Complex s(0.0, spectra.frequency(k) / centre);
    const Complex x = spectra.input[k];
    const Complex y = spectra.output[k];
    double weight = 1.0;
    if (previous) weight = 1.0 / std::abs(s * s + previous->a1 * s + previous->a0);
    const std::array<Complex, kUnknowns> terms = {s * y,
                                                  y,
                                                  -x,
                                                  -s * x,
                                                  -s * s * x,
                                                  Complex(-1.0, 0.0),
                                                  Complex(0.0, -1.0),
                                                  -s,
                                                  -s * Complex(0.0, 1.0)};
    const Complex rhs = -s * s * y;
    std::array<double, kUnknowns> real;
    std::array<double, kUnknowns> imaginary;
    for (std::size_t j = 0; j < kUnknowns; ++j) {
      real[j] = terms[j].real() * weight;
      imaginary[j] = terms[j].imag() * weight;
    }
    problem.Add(real.data(), rhs.real() * weight);
    problem.Add(imaginary.data(), rhs.imag() * weight);
  }
  const std::optional<std::vector<double>> solution = problem.Solve();
  if (!solution) return std::nullopt;
  return Pole{(*solution)[0], (*solution)[1]};
}

}  // namespace

std::optional<ModalFit> FitMode(const PairSpectra& spectra, double lowHz, double highHz) {
  if (!(lowHz > 0) || !(highHz > lowHz) || !(spectra.frequencyStep > 0)) return std::nullopt;
  const std::size_t first = static_cast<std::size_t>(std::ceil(lowHz / spectra.frequencyStep));
  std::size_t last = static_cast<std::size_t>(std::floor(highHz / spectra.frequencyStep));
  if (spectra.bins() == 0) return std::nullopt;
  if (last >= spectra.bins()) last = spectra.bins() - 1;
  if (last < first || last - first + 1 < kFewestBins) return std::nullopt;

  const double centre = std::sqrt(lowHz * highHz);
  std::optional<Pole> pole;
  ModalFit fit;
  for (int iteration = 0; iteration < kMostIterations; ++iteration) {
    const std::optional<Pole> next = SolveRound(spectra, first, last, centre, pole);
    if (!next || !(next->a0 > 0) || !(next->a1 > 0)) return std::nullopt;
    const double root = std::sqrt(next->a0);
    const ModalFit estimate{centre * root, next->a1 / (2.0 * root)};
    const bool settled =
        pole && std::fabs(estimate.frequency - fit.frequency) <= kSettled * estimate.frequency &&
        std::fabs(estimate.damping - fit.damping) <= kSettled;
    pole = next;
    fit = estimate;
    if (settled) break;
  }
  if (!(fit.damping < 1.0) || fit.frequency < lowHz || fit.frequency > highHz) return std::nullopt;
  return fit;
}

}  // namespace accprep
