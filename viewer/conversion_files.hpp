#pragma once
// The files of one conversion. A conversion names its five channel files from the input stem
// plus a fixed suffix, all beside the input (engine/conversion_names.hpp). The viewer is
// handed any one of them, or the input record itself, and finds the others.

#include <array>
#include <string>

#include "engine/conversion_names.hpp"

namespace accprep {

struct ConversionFiles {
  std::string stem;
  std::array<std::string, kConversionFileCount> paths;  // stem + suffix, present or not
  std::array<bool, kConversionFileCount> present{};     // a regular file (or a link to one)

  const std::string& path(ConversionFile file) const { return paths[static_cast<int>(file)]; }
  bool has(ConversionFile file) const { return present[static_cast<int>(file)]; }
  int PresentCount() const;
};

// The files of the conversion `path` belongs to. A path that ends in one of the five suffixes
// names its stem directly; any other path is taken as the input record, whose stem is the
// path less its last four characters. A path with a suffix could also be an input record of
// that name (an input "a_acc.csv" converts to "a_acc_acc.csv" and so on), so when both
// readings are possible the one that finds more existing files wins, the suffix on a tie.
// Never fails: files that do not exist are marked absent. A path of four characters or
// fewer gives an empty stem, as the conversion itself would.
ConversionFiles FindConversionFiles(const std::string& path);

// The files of `stem`, each looked up on disk.
ConversionFiles ConversionFilesOfStem(const std::string& stem);

}  // namespace accprep
