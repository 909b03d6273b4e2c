#pragma once
// The loaded files of one conversion: whichever of the five exist, each in compact form, and
// for each file that exists but cannot be read, what is wrong with it.

#include <array>
#include <optional>
#include <span>
#include <string>

#include "viewer/channel_table.hpp"
#include "viewer/conversion_files.hpp"
#include "viewer/table_loader.hpp"

namespace accprep {

struct ConversionData {
  ConversionFiles files;
  std::array<std::optional<ChannelTable>, kConversionFileCount> tables;
  // The message (file, line, reason) of a file that exists and failed to load; else empty.
  std::array<std::string, kConversionFileCount> errors;

  // The loaded table, or null when the file is absent, was not asked for or failed.
  const ChannelTable* table(ConversionFile file) const {
    const auto& entry = tables[static_cast<int>(file)];
    return entry ? &*entry : nullptr;
  }
  const std::string& error(ConversionFile file) const { return errors[static_cast<int>(file)]; }
};

// How each file is headed: the public acceleration CSV may carry a comment line.
HeaderForm HeaderFormOf(ConversionFile file);

// The bytes LoadConversion will read for `wanted`, for a progress maximum.
std::uint64_t ConversionBytes(const ConversionFiles& files, std::span<const ConversionFile> wanted);

// Loads the files of `wanted` that exist, one after another. A failing file is recorded in
// `errors` and the others still load; nothing throws for the content of a file.
ConversionData LoadConversion(const ConversionFiles& files, std::span<const ConversionFile> wanted,
                              LoadProgress* progress = nullptr);

}  // namespace accprep
