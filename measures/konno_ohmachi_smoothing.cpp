// SmoothKonnoOhmachi of measures/spectral_smoothing.hpp: the weighted sums over every bin,
// fast where bins are dense and with a proven bound on what that costs in accuracy.
//
// In u = log10 f the window of a centre v is K(u) = (sin x / x)^4, x = b (u - v): an entire
// function of u, band-limited to |frequency| <= 4b. So over a cell of the u axis of radius
// r = 1/b it is a polynomial of degree 24 to within 4e-18 of its size (the bound
// below), and the sum over the cell's bins, sum_j K(u_j) S_j, is sum_l K(xi_l) M_l over the
// cell's 25 Chebyshev nodes xi_l with moments M_l = sum_j L_l(u_j) S_j (L_l the Lagrange
// polynomials of the nodes). The moments are found once for all centres; a centre then costs
// 25 kernel values a cell instead of one a bin. Where a spectrum is dense (225,001 bins of a
// 4,500 s record hold 26,000 bins in the highest cell) that is what makes 1,000 centres cheap.
// Cells with few bins keep them as they are.
//
// The bound, for each centre, each cell and each series, from the Hermite integral formula of
// the interpolation error (Trefethen, Approximation Theory and Approximation Practice, ch. 8
// and 11) over the Bernstein ellipse E of parameter rho around the cell (in t = (u - c) / r):
// K is entire, and on E |K| <= M = cosh^4(eta) min(1, (b d)^-4), eta = b r (rho - 1/rho) / 2
// and d the distance from v to E. With the n nodes the zeros of T_n, |T_n| <= 1 on the cell
// and >= (rho^n - rho^-n) / 2 on E, E is at most pi (rho + 1/rho) long and (rho - 1)^2 /
// (2 rho) away from the cell, so the interpolant is within
// 2 M (rho^2 + 1) / ((rho - 1)^2 (rho^n - rho^-n)) of K on the cell, and the cell's sum
// within that times sum_j |S_j|. Where the bound for a centre does not stay below 1e-11 of
// its sum (values that cancel, or a spectrum nearly zero around the centre and large far
// off), that centre is summed bin by bin.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

#include "measures/parallel_tasks.hpp"
#include "measures/spectral_smoothing.hpp"
#include "measures/vector_lanes.hpp"
#include "measures/wide_vectors.hpp"

// The kernels' vectors never cross a function boundary that is not inlined into a kernel
// compiled for them (measures/vector_lanes.hpp).
#pragma GCC diagnostic ignored "-Wpsabi"

namespace accprep {
namespace {

constexpr double kCellRadius = 1.0;  // b r: a cell spans 2 / b of log10 f
constexpr int kNodes = 25;           // Chebyshev nodes a cell
constexpr int kNodeSlots = 28;       // the nodes rounded up to whole vectors of four
constexpr double kEllipse = 12.5;    // rho of the bound, near its best for these two
constexpr double kGuard = 1e-11;     // the bound a centre must keep, of its own sum
// A cell is interpolated where it holds at least this many bins; below, its bins cost less
// than its nodes would.
constexpr std::size_t kLeastBinsToInterpolate = 2 * kNodes;

using lanes::Load;
using lanes::Narrow;
using lanes::Store;
using lanes::Total;
using lanes::Wide;

// Lanes a vector, as a count of doubles.
template <typename V>
constexpr std::size_t kLanes = static_cast<std::size_t>(lanes::kLanes<V>);

std::size_t RoundUp(std::size_t n, std::size_t multiple) {
  return (n + multiple - 1) / multiple * multiple;
}

// (sin x / x)^4, 1 at x = 0.
double SincFourth(double x) {
  if (x == 0.0) return 1.0;
  const double s = std::sin(x) / x;
  const double s2 = s * s;
  return s2 * s2;
}

struct Cell {
  double centre = 0.0;  // log10 f
  std::size_t firstBin = 0;
  std::size_t binCount = 0;
  bool interpolated = false;
};

// The sums' sources after the dense cells have become their nodes: positions in log10 f,
// ascending, with their sine and cosine of b u, and one row of values for each series plus
// a last row for the denominator (the series of ones).
struct Sources {
  std::size_t count = 0;   // real sources
  std::size_t stride = 0;  // count rounded up to whole vectors; the rest weigh nothing
  std::vector<double> position, sine, cosine;
  std::vector<double> values;  // row s at s * stride
  // sum_j |S_j| over each cell's bins, row s at s * cells
  std::vector<double> absoluteSums;
};

// The Chebyshev points of the first kind on [-1, 1], ascending, and their barycentric weights.
struct Nodes {
  double point[kNodes];
  double weight[kNodes];
  Nodes() {
    for (int l = 0; l < kNodes; ++l) {
      const double angle = std::numbers::pi * (2 * (kNodes - 1 - l) + 1) / (2 * kNodes);
      point[l] = std::cos(angle);
      weight[l] = ((kNodes - 1 - l) % 2 == 0 ? 1.0 : -1.0) * std::sin(angle);
    }
  }
};

// The Lagrange polynomials of the nodes at t in [-1, 1], into basis[0 .. kNodes).
void LagrangeAt(const Nodes& nodes, double t, double* basis) {
  double total = 0.0;
  for (int l = 0; l < kNodes; ++l) {
    const double difference = t - nodes.point[l];
    if (difference == 0.0) {
      std::fill(basis, basis + kNodes, 0.0);
      basis[l] = 1.0;
      return;
    }
    basis[l] = nodes.weight[l] / difference;
    total += basis[l];
  }
  for (int l = 0; l < kNodes; ++l) basis[l] /= total;
}

// moments[s * kNodeSlots + l] += sum over the block's bins of basis[j][l] * series[s][j].
template <typename V>
[[gnu::always_inline]] inline void AccumulateMoments(
    const double* basis, std::size_t bins, std::span<const std::span<const double>> series,
    std::size_t firstBin, double* moments) {
  constexpr std::size_t kVectors = kNodeSlots / kLanes<V>;
  for (std::size_t s = 0; s < series.size(); ++s) {
    V sum[kVectors] = {};
    const double* values = series[s].data() + firstBin;
    for (std::size_t j = 0; j < bins; ++j) {
      const double value = values[j];
      for (std::size_t k = 0; k < kVectors; ++k) {
        sum[k] += value * Load<V>(basis + j * kNodeSlots + k * kLanes<V>);
      }
    }
    double* row = moments + s * kNodeSlots;
    for (std::size_t k = 0; k < kVectors; ++k) {
      Store<V>(row + k * kLanes<V>, Load<V>(row + k * kLanes<V>) + sum[k]);
    }
  }
}

[[gnu::target("avx2,fma")]] void AccumulateMomentsWide(
    const double* basis, std::size_t bins, std::span<const std::span<const double>> series,
    std::size_t firstBin, double* moments) {
  AccumulateMoments<Wide>(basis, bins, series, firstBin, moments);
}
void AccumulateMomentsNarrow(const double* basis, std::size_t bins,
                             std::span<const std::span<const double>> series, std::size_t firstBin,
                             double* moments) {
  AccumulateMoments<Narrow>(basis, bins, series, firstBin, moments);
}

// The kernel of centre v at every source, into weights[0 .. stride): sin(b u - b v) by the
// angles' sum, which rounding bounds by the envelope; the sources within 1 / b of the centre
// take the sine of their own difference, where the sum would lose its relative precision.
template <typename V>
[[gnu::always_inline]] inline void KernelAt(const Sources& sources, double b, double v,
                                            double sineV, double cosineV, double* weights) {
  for (std::size_t e = 0; e < sources.stride; e += kLanes<V>) {
    const V x = b * (Load<V>(&sources.position[e]) - v);
    const V sine = Load<V>(&sources.sine[e]) * cosineV - Load<V>(&sources.cosine[e]) * sineV;
    const V ratio = sine / x;
    const V square = ratio * ratio;
    Store<V>(weights + e, square * square);
  }
}

template <typename V>
[[gnu::always_inline]] inline double Dot(const double* a, const double* b, std::size_t n) {
  V sum0 = {}, sum1 = {};
  std::size_t e = 0;
  for (; e + 2 * kLanes<V> <= n; e += 2 * kLanes<V>) {
    sum0 += Load<V>(a + e) * Load<V>(b + e);
    sum1 += Load<V>(a + e + kLanes<V>) * Load<V>(b + e + kLanes<V>);
  }
  for (; e < n; e += kLanes<V>) sum0 += Load<V>(a + e) * Load<V>(b + e);
  return Total<V>(sum0 + sum1);
}

// The sums of every row of sources.values against the weights: sums[s].
template <typename V>
[[gnu::always_inline]] inline void SumsAt(const Sources& sources, std::size_t rows,
                                          const double* weights, double* sums) {
  for (std::size_t s = 0; s < rows; ++s) {
    sums[s] = Dot<V>(weights, &sources.values[s * sources.stride], sources.stride);
  }
}

[[gnu::target("avx2,fma")]] void KernelWide(const Sources& sources, double b, double v,
                                            double sineV, double cosineV, double* weights) {
  KernelAt<Wide>(sources, b, v, sineV, cosineV, weights);
}
void KernelNarrow(const Sources& sources, double b, double v, double sineV, double cosineV,
                  double* weights) {
  KernelAt<Narrow>(sources, b, v, sineV, cosineV, weights);
}
[[gnu::target("avx2,fma")]] void SumsWide(const Sources& sources, std::size_t rows,
                                          const double* weights, double* sums) {
  SumsAt<Wide>(sources, rows, weights, sums);
}
void SumsNarrow(const Sources& sources, std::size_t rows, const double* weights, double* sums) {
  SumsAt<Narrow>(sources, rows, weights, sums);
}

void CheckArguments(std::span<const double> frequencies,
                    std::span<const std::span<const double>> series,
                    std::span<const double> centres, double b) {
  if (!(b > 0.0) || !(b <= kLargestKonnoOhmachiB)) {
    throw std::invalid_argument("Konno-Ohmachi b must lie in 0 < b <= 1000");
  }
  if (frequencies.empty()) throw std::invalid_argument("no frequencies to smooth");
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    if (!(frequencies[k] > 0.0) || !std::isfinite(frequencies[k]) ||
        (k > 0 && !(frequencies[k] > frequencies[k - 1]))) {
      throw std::invalid_argument("frequencies must be positive and ascending");
    }
  }
  for (double centre : centres) {
    if (!(centre > 0.0) || !std::isfinite(centre)) {
      throw std::invalid_argument("centre frequencies must be positive");
    }
  }
  for (std::span<const double> values : series) {
    if (values.size() != frequencies.size()) {
      throw std::invalid_argument("one value per frequency is needed");
    }
  }
}

class KonnoOhmachiSums {
 public:
  KonnoOhmachiSums(std::span<const double> frequencies,
                   std::span<const std::span<const double>> series, double b, int threads)
      : series_(series), b_(b), threads_(threads), wide_(WideVectorsUsable()) {
    logFrequencies_.resize(frequencies.size());
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
      logFrequencies_[k] = std::log10(frequencies[k]);
    }
    radius_ = kCellRadius / b;
    FormCells();
    FormSources();
    const double eta = kCellRadius * (kEllipse - 1.0 / kEllipse) / 2.0;
    const double coshEta = std::cosh(eta);
    interpolationBound_ = 2.0 * std::pow(coshEta, 4) * (kEllipse * kEllipse + 1.0) /
                          ((kEllipse - 1.0) * (kEllipse - 1.0) *
                           (std::pow(kEllipse, kNodes) - std::pow(kEllipse, -kNodes)));
    ellipseReach_ = radius_ * (kEllipse + 1.0 / kEllipse) / 2.0;
  }

  // Entry s of the result holds series s at each centre.
  std::vector<std::vector<double>> At(std::span<const double> centres) {
    const std::size_t rows = series_.size() + 1;
    std::vector<std::vector<double>> results(series_.size(), std::vector<double>(centres.size()));
    RunTasks((centres.size() + 7) / 8, threads_, [&](std::size_t block) {
      std::vector<double> weights(sources_.stride);
      std::vector<double> sums(rows), bounds(rows);
      for (std::size_t c = 8 * block; c < std::min(centres.size(), 8 * block + 8); ++c) {
        const double v = std::log10(centres[c]);
        CentreSums(v, weights.data(), sums.data());
        Bounds(v, bounds.data());
        const double denominator = sums[rows - 1];
        std::vector<double> exactWeights;
        for (std::size_t s = 0; s < series_.size(); ++s) {
          const double mean = sums[s] / denominator;
          const double error = bounds[s] + std::fabs(mean) * bounds[rows - 1];
          if (error <= kGuard * std::fabs(sums[s])) {
            results[s][c] = mean;
          } else {
            results[s][c] = ExactMean(v, s, exactWeights);
          }
        }
      }
    });
    return results;
  }

 private:
  void FormCells() {
    const double width = 2.0 * radius_;
    const double origin = logFrequencies_.front();
    std::size_t first = 0;
    while (first < logFrequencies_.size()) {
      const double index = std::floor((logFrequencies_[first] - origin) / width);
      const double upper = origin + (index + 1.0) * width;
      std::size_t last = first;
      while (last < logFrequencies_.size() && logFrequencies_[last] < upper) ++last;
      if (last == first) last = first + 1;  // rounding at the edge: the bin opens its own cell
      Cell cell;
      cell.centre = origin + (index + 0.5) * width;
      cell.firstBin = first;
      cell.binCount = last - first;
      cell.interpolated = cell.binCount >= kLeastBinsToInterpolate;
      cells_.push_back(cell);
      first = last;
    }
  }

  void FormSources() {
    const std::size_t rows = series_.size() + 1;
    std::size_t count = 0;
    for (const Cell& cell : cells_) count += cell.interpolated ? kNodes : cell.binCount;
    sources_.count = count;
    sources_.stride = RoundUp(count, 8);
    // Spare sources sit far off with nothing to weigh, so that their kernel stays finite.
    sources_.position.assign(sources_.stride, logFrequencies_.back() + 1e3);
    sources_.values.assign(rows * sources_.stride, 0.0);
    sources_.absoluteSums.assign(rows * cells_.size(), 0.0);
    std::vector<std::size_t> firstSource(cells_.size());
    std::size_t e = 0;
    for (std::size_t q = 0; q < cells_.size(); ++q) {
      const Cell& cell = cells_[q];
      firstSource[q] = e;
      if (cell.interpolated) {
        for (int l = 0; l < kNodes; ++l) {
          sources_.position[e++] = cell.centre + radius_ * nodes_.point[l];
        }
        continue;
      }
      for (std::size_t j = cell.firstBin; j < cell.firstBin + cell.binCount; ++j) {
        sources_.position[e] = logFrequencies_[j];
        for (std::size_t s = 0; s < series_.size(); ++s) {
          sources_.values[s * sources_.stride + e] = series_[s][j];
        }
        sources_.values[(rows - 1) * sources_.stride + e] = 1.0;
        ++e;
      }
    }
    sources_.sine.resize(sources_.stride);
    sources_.cosine.resize(sources_.stride);
    for (std::size_t i = 0; i < sources_.stride; ++i) {
      SineCosine(sources_.position[i], sources_.sine[i], sources_.cosine[i]);
    }
    for (std::size_t q = 0; q < cells_.size(); ++q) {
      const Cell& cell = cells_[q];
      for (std::size_t s = 0; s < series_.size(); ++s) {
        double sum = 0.0;
        for (std::size_t j = cell.firstBin; j < cell.firstBin + cell.binCount; ++j) {
          sum += std::fabs(series_[s][j]);
        }
        sources_.absoluteSums[s * cells_.size() + q] = sum;
      }
      sources_.absoluteSums[(rows - 1) * cells_.size() + q] = static_cast<double>(cell.binCount);
    }
    // The moments of the dense cells, a cell at a time on every thread.
    RunTasks(cells_.size(), threads_, [&](std::size_t q) {
      if (cells_[q].interpolated) Moments(cells_[q], firstSource[q]);
    });
  }

  // The moments of one dense cell into its nodes' values, in blocks of bins whose Lagrange
  // values stay in the cache while every series passes over them.
  void Moments(const Cell& cell, std::size_t firstSource) {
    constexpr std::size_t kBlock = 256;
    const std::size_t rows = series_.size() + 1;
    std::vector<double> basis(kBlock * kNodeSlots, 0.0);
    std::vector<double> moments(series_.size() * kNodeSlots, 0.0);
    double ones[kNodeSlots] = {};
    for (std::size_t first = 0; first < cell.binCount; first += kBlock) {
      const std::size_t bins = std::min(kBlock, cell.binCount - first);
      for (std::size_t j = 0; j < bins; ++j) {
        const double t = (logFrequencies_[cell.firstBin + first + j] - cell.centre) / radius_;
        LagrangeAt(nodes_, t, &basis[j * kNodeSlots]);
        for (int l = 0; l < kNodes; ++l) ones[l] += basis[j * kNodeSlots + l];
      }
      if (wide_) {
        AccumulateMomentsWide(basis.data(), bins, series_, cell.firstBin + first, moments.data());
      } else {
        AccumulateMomentsNarrow(basis.data(), bins, series_, cell.firstBin + first, moments.data());
      }
    }
    for (int l = 0; l < kNodes; ++l) {
      for (std::size_t s = 0; s < series_.size(); ++s) {
        sources_.values[s * sources_.stride + firstSource + l] = moments[s * kNodeSlots + l];
      }
      sources_.values[(rows - 1) * sources_.stride + firstSource + l] = ones[l];
    }
  }

  // sin(b u) and cos(b u) to a unit in their last place, however large b u: the product is
  // carried in two parts (its rounding error found exactly by a fused multiply-add), so that
  // the angles' difference in the kernel keeps that precision too.
  void SineCosine(double u, double& sine, double& cosine) const {
    const double high = b_ * u;
    const double low = std::fma(b_, u, -high);
    const double s = std::sin(high);
    const double c = std::cos(high);
    sine = s + low * c;
    cosine = c - low * s;
  }

  void CentreSums(double v, double* weights, double* sums) const {
    double sineV = 0.0;
    double cosineV = 0.0;
    SineCosine(v, sineV, cosineV);
    if (wide_) {
      KernelWide(sources_, b_, v, sineV, cosineV, weights);
    } else {
      KernelNarrow(sources_, b_, v, sineV, cosineV, weights);
    }
    // The sources within 1 / b of the centre, taken exactly: the sum of angles loses the
    // relative precision of a small sine, and there the weights are largest.
    const auto begin = std::lower_bound(sources_.position.begin(),
                                        sources_.position.begin() + sources_.count, v - 1.0 / b_);
    const auto end =
        std::upper_bound(begin, sources_.position.begin() + sources_.count, v + 1.0 / b_);
    for (auto it = begin; it != end; ++it) {
      weights[it - sources_.position.begin()] = SincFourth(b_ * (*it - v));
    }
    if (wide_) {
      SumsWide(sources_, series_.size() + 1, weights, sums);
    } else {
      SumsNarrow(sources_, series_.size() + 1, weights, sums);
    }
  }

  // The bound of each row's sum at centre v: each interpolated cell's bound times its sum of
  // |S|, the envelope taken at the ellipse's reach. The weights' own rounding is not counted:
  // the sum of angles keeps each sine within a few units of 1e-16 beyond 1 / b of the centre
  // (and takes the exact sine within), where rounding x = b log10(f / fc) itself, as any
  // evaluation of the definition must, moves the sine by more.
  void Bounds(double v, double* bounds) const {
    const std::size_t rows = series_.size() + 1;
    std::fill(bounds, bounds + rows, 0.0);
    for (std::size_t q = 0; q < cells_.size(); ++q) {
      const Cell& cell = cells_[q];
      if (!cell.interpolated) continue;
      const double factor =
          interpolationBound_ * Envelope(std::fabs(cell.centre - v) - ellipseReach_);
      for (std::size_t s = 0; s < rows; ++s) {
        bounds[s] += factor * sources_.absoluteSums[s * cells_.size() + q];
      }
    }
  }

  // min(1, (b d)^-4): the window's largest value at a distance d or more from its centre.
  double Envelope(double distance) const {
    const double bd = b_ * distance;
    return bd <= 1.0 ? 1.0 : 1.0 / ((bd * bd) * (bd * bd));
  }

  // Series s at centre v summed bin by bin, each weight from its own difference; the weights
  // are kept for the next series that needs them at this centre.
  double ExactMean(double v, std::size_t s, std::vector<double>& weights) const {
    if (weights.empty()) {
      weights.resize(logFrequencies_.size());
      for (std::size_t k = 0; k < weights.size(); ++k) {
        weights[k] = SincFourth(b_ * (logFrequencies_[k] - v));
      }
    }
    double numerator = 0.0;
    double denominator = 0.0;
    for (std::size_t k = 0; k < weights.size(); ++k) {
      numerator += weights[k] * series_[s][k];
      denominator += weights[k];
    }
    return numerator / denominator;
  }

  std::span<const std::span<const double>> series_;
  double b_;
  int threads_;
  bool wide_;
  double radius_ = 0.0;
  double interpolationBound_ = 0.0;
  double ellipseReach_ = 0.0;
  std::vector<double> logFrequencies_;
  std::vector<Cell> cells_;
  Nodes nodes_;
  Sources sources_;
};

}  // namespace

std::vector<double> SmoothKonnoOhmachi(std::span<const double> frequencies,
                                       std::span<const double> values,
                                       std::span<const double> centres, double b) {
  const std::span<const double> one[] = {values};
  return std::move(SmoothKonnoOhmachi(frequencies, one, centres, b, 1).front());
}

std::vector<std::vector<double>> SmoothKonnoOhmachi(std::span<const double> frequencies,
                                                    std::span<const std::span<const double>> series,
                                                    std::span<const double> centres, double b,
                                                    int threads) {
  CheckArguments(frequencies, series, centres, b);
  if (series.empty()) return {};
  KonnoOhmachiSums sums(frequencies, series, b, std::max(threads, 1));
  return sums.At(centres);
}

}  // namespace accprep
