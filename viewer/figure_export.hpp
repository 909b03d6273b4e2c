#pragma once
// The full view of one channel as a picture: time histories, Fourier spectra and response
// spectra side by side on a landscape page under a title, rendered without showing any
// window (the caller's QApplication may run on the offscreen platform).

#include <QString>

#include <string>

#include "viewer/channel_names.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/page_layout.hpp"

namespace accprep {

// A picture's title: the record's name, the channel with its name, and what is shown:
// "knet-aomori-2018  22ch  AOM008 EW  時刻歴 (加速度・速度・変位)".
QString FigureTitle(const ConversionFiles& files, const ChannelNames& names, int channel,
                    const QString& quantity);

// Writes the view of `channel` (1..40) to `path`, as PDF when it ends in ".pdf", else as PNG
// at `dpi`, on a landscape `page`. The response spectra need the acceleration file with an
// even time step; without it the panel says why. Throws DataError kIo naming the path when
// the picture cannot be written.
void ExportChannelView(const ConversionData& data, const ChannelNames& names, int channel,
                       double damping, const std::string& path, PageSize page, int dpi);

}  // namespace accprep
