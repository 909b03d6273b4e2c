#pragma once
// The channels of a conversion's public acceleration CSV that a spectrum table computes from,
// and its time step, without the rest of the file's table: the spectra of a 450,000-record
// conversion hold the channels they need and nothing more, in one block sized to the file.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/huge_pages.hpp"
#include "viewer/conversion_files.hpp"

namespace accprep {

class AccelerationChannels {
 public:
  double timeStep() const { return timeStep_; }
  std::int64_t rows() const { return rows_; }
  // The channels in the order they were asked for.
  const std::vector<std::span<const double>>& channels() const { return channels_; }
  // The same, to be overwritten by what is computed from them.
  std::vector<std::span<double>> MutableChannels();

 private:
  friend AccelerationChannels LoadAccelerationChannels(const ConversionFiles&, std::span<const int>,
                                                       const std::string&,
                                                       const std::function<void(std::int64_t)>&);
  double timeStep_ = 0.0;
  std::int64_t rows_ = 0;
  HugePageBlock block_;
  std::vector<std::span<const double>> channels_;
};

// Throws DataError kInput naming the acceleration file when the conversion has none:
// "no such file: <need> the acceleration file", `need` saying what for ("the response
// spectra need").
void RequireAccelerationFile(const ConversionFiles& files, const std::string& need);

// Loads channels `numbers` (each 1..40) of the acceleration file and its time step; the other
// channels' fields are passed over unread where a line holds its whole record. Throws
// DataError: as RequireAccelerationFile does, kInput for a time step that is not uniform
// (with its line), and as the record reader does for the file's content.
// `expected`, when given, is called before the records are read with how many the file holds
// where each stands on a line of its own: work that needs only their number (planning the
// transforms of that length) can go on while they are read.
AccelerationChannels LoadAccelerationChannels(
    const ConversionFiles& files, std::span<const int> numbers, const std::string& need,
    const std::function<void(std::int64_t records)>& expected = {});

// 1, 2, ..., 40: every channel.
std::vector<int> AllChannelNumbers();

}  // namespace accprep
