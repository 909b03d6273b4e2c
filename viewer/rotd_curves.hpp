#pragma once
// What the response tab draws of two horizontal channels: RotD50 and RotD100 over the PSA of
// each component as it lies, at the 100 periods, from the acceleration record. Qt-free, for
// the tab's worker and the tests.

#include <string>

#include "measures/rotd_spectrum.hpp"
#include "viewer/channel_table.hpp"
#include "viewer/spectra_outputs.hpp"

namespace accprep {

struct RotDCurves {
  HorizontalPair pair;
  double damping = 0.0;
  RotDSpectrum spectrum;  // empty with a notice
  std::string notice;     // why there are no curves (Japanese)
};

// RotD of `pair` of `acceleration` (loaded from `path`, which messages name; null when there
// is none) at the 100 periods and `damping`. Throws nothing for what the record holds: an
// uneven time step or too few rows become the notice.
RotDCurves ComputeRotDCurves(const ChannelTable* acceleration, const std::string& path,
                             const HorizontalPair& pair, double damping);

// The curves for the clipboard: "周期 (s)", "1ch PSA (gal)", "2ch PSA (gal)", "RotD50 (gal)",
// "RotD100 (gal)" (the channels of the pair), then one line a period, tab-separated, numbers
// in their shortest exact form, each line ending in a line feed. Only the header without
// curves.
std::string RotDTableText(const RotDCurves& curves);

}  // namespace accprep
