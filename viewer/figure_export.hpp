#pragma once
// The full view of one channel as a picture: title, time histories, Fourier spectra and
// response spectra side by side, rendered without showing any window (the caller's
// QApplication may run on the offscreen platform).

#include <string>

#include "viewer/conversion_data.hpp"

namespace accprep {

inline constexpr int kExportWidth = 1800;  // pixels of the PNG, points of the PDF
inline constexpr int kExportHeight = 1000;

// The figure's title: file stem, channel and what is missing.
std::string FigureTitle(const ConversionData& data, int channel);

// Writes the view of `channel` (1..40) to `path`, as PDF when `pdf`, else PNG, through the
// atomic file like every other output. The response spectra need the acceleration file with
// an even time step; without it the panel says why. Throws DataError naming the path as
// AtomicFile does, or kIo "the picture could not be drawn".
void ExportChannelView(const ConversionData& data, int channel, double damping,
                       const std::string& path, bool pdf);

}  // namespace accprep
