#include "shear_building.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "engine/record_reader.hpp"
#include "measures/oscillator_step.hpp"

namespace accprep::testing {
namespace {

using Matrix = std::vector<std::vector<double>>;

// Eigenvalues and eigenvectors of the symmetric `a` by cyclic Jacobi rotations (Golub and
// Van Loan, 8.5): exact to rounding for the few floors of a test building.
void JacobiEigen(Matrix a, std::vector<double>& values, Matrix& vectors) {
  const std::size_t n = a.size();
  vectors.assign(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) vectors[i][i] = 1.0;
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0;
    for (std::size_t p = 0; p < n; ++p)
      for (std::size_t q = p + 1; q < n; ++q) off += a[p][q] * a[p][q];
    if (off < 1e-30) break;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) {
        if (a[p][q] == 0.0) continue;
        const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::hypot(theta, 1.0));
        const double c = 1.0 / std::hypot(t, 1.0);
        const double s = t * c;
        for (std::size_t k = 0; k < n; ++k) {  // a <- a J
          const double akp = a[k][p];
          const double akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (std::size_t k = 0; k < n; ++k) {  // a <- J^T a
          const double apk = a[p][k];
          const double aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double vkp = vectors[k][p];
          const double vkq = vectors[k][q];
          vectors[k][p] = c * vkp - s * vkq;
          vectors[k][q] = s * vkp + c * vkq;
        }
      }
    }
  }
  values.resize(n);
  for (std::size_t i = 0; i < n; ++i) values[i] = a[i][i];
}

}  // namespace

BuildingModes ExactModes(const ShearBuilding& building) {
  const std::size_t n = building.masses.size();
  // K of a shear building: story j (1-based) joins floors j-1 and j; the base is fixed.
  Matrix k(n, std::vector<double>(n, 0.0));
  for (std::size_t j = 0; j < n; ++j) {
    k[j][j] += building.stiffnesses[j];
    if (j + 1 < n) {
      k[j][j] += building.stiffnesses[j + 1];
      k[j][j + 1] -= building.stiffnesses[j + 1];
      k[j + 1][j] -= building.stiffnesses[j + 1];
    }
  }
  Matrix a(n, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      a[i][j] = k[i][j] / std::sqrt(building.masses[i] * building.masses[j]);
  std::vector<double> values;
  Matrix vectors;
  JacobiEigen(a, values, vectors);

  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](auto x, auto y) { return values[x] < values[y]; });
  BuildingModes modes;
  for (std::size_t mode : order) {
    // kN/m over t gives 1/s^2; phi = M^-1/2 v is mass-normalised.
    modes.frequencies.push_back(std::sqrt(values[mode]) / (2.0 * std::numbers::pi));
    std::vector<double> shape(n);
    double participation = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      shape[i] = vectors[i][mode] / std::sqrt(building.masses[i]);
      participation += building.masses[i] * shape[i];
    }
    modes.shapes.push_back(std::move(shape));
    modes.participation.push_back(participation);
  }
  return modes;
}

BuildingResponse RespondToBase(const ShearBuilding& building, const BuildingModes& modes,
                               std::span<const double> base, double step) {
  const std::size_t floors = building.masses.size();
  BuildingResponse response;
  response.acceleration.assign(floors, std::vector<double>(base.size(), 0.0));
  response.relativeDisplacement.assign(floors, std::vector<double>(base.size(), 0.0));
  for (std::size_t mode = 0; mode < modes.frequencies.size(); ++mode) {
    const OscillatorStep oscillator =
        MakeOscillatorStep(1.0 / modes.frequencies[mode], building.dampingRatios[mode], step);
    double q = 0.0;
    double v = 0.0;
    for (std::size_t i = 0; i < base.size(); ++i) {
      if (i > 0) oscillator.Advance(q, v, base[i - 1], base[i]);
      // With every mode summed the base's own acceleration cancels out of the absolute one:
      // the participations of a uniform motion add up to 1 on every floor.
      const double absolute = -(oscillator.twoHw * v + oscillator.w2 * q);
      for (std::size_t floor = 0; floor < floors; ++floor) {
        const double factor = modes.participation[mode] * modes.shapes[mode][floor];
        response.acceleration[floor][i] += factor * absolute;
        response.relativeDisplacement[floor][i] += factor * q;
      }
    }
  }
  return response;
}

std::vector<double> SharedRecordChannel(int channel) {
  RecordForm form;
  form.headerLines = 2;
  form.fieldsPerRecord = kTableColumns;
  std::vector<double> values;
  ReadRecords(ACCPREP_SHARED_DATA_DIR "/knet-aomori-2018.csv", form,
              [&](std::int64_t, const double* record, std::int64_t count) {
                for (std::int64_t r = 0; r < count; ++r)
                  values.push_back(record[r * kTableColumns + channel]);
              });
  const double mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
  for (double& value : values) value -= mean;
  return values;
}

}  // namespace accprep::testing
