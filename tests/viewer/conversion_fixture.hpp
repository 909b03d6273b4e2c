#pragma once
// Writes the five files of a conversion, as the conversion run and its jobs leave them, for
// the viewer's tests and benchmarks: a public acceleration CSV (with or without its comment
// line), velocity and displacement records integrated in the time domain (trapezoids), and
// amplitude spectra of both by a plain discrete Fourier sum (or a synthetic curve for long
// records, where the sum would take minutes).

#include <cstdint>
#include <filesystem>
#include <string>

namespace accprep::testing {

struct FixtureOptions {
  std::int64_t records = 200;
  double step = 0.01;
  bool comment = true;
  // Frequencies of the spectra: min(records / 2, spectrumLimit), the exact sum up to 4096.
  std::int64_t spectrumLimit = 4096;
  // Significant digits of the velocity, displacement and spectra, 9 as the jobs write them; 0
  // for the shortest exact text, which lets tests compare values bit for bit.
  int resultDigits = 0;
  // Only the acceleration CSV, for what computes from it alone (the spectra tables).
  bool accelerationOnly = false;
};

// Channel c of the acceleration at sample i (gal): a windowed pair of sines of its own, so
// every channel differs and the peaks fall at known places.
double FixtureAcceleration(int channel, std::int64_t sample, const FixtureOptions& options);

// Writes stem + "_acc.csv", "_vel.csv", "_dis.csv", "_velAmp.csv", "_disAmp.csv" and
// returns the stem. `folder` must exist.
std::string WriteConversionFixture(const std::filesystem::path& folder, const std::string& name,
                                   const FixtureOptions& options = {});

}  // namespace accprep::testing
