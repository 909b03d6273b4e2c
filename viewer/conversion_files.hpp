#pragma once
// The files of one conversion. A conversion names its five channel files from the input stem
// (the input path less its last four characters) plus a fixed suffix, all beside the input.
// The viewer is handed any one of them, or the input record itself, and finds the others.

#include <array>
#include <string>
#include <string_view>

namespace accprep {

enum class ConversionFile {
  kAcceleration,           // stem + "_acc.csv": public acceleration CSV, maybe a comment line
  kVelocity,               // stem + "_vel.csv": velocity record
  kDisplacement,           // stem + "_dis.csv": displacement record
  kVelocitySpectrum,       // stem + "_velAmp.csv": amplitude spectrum of the velocity
  kDisplacementSpectrum,   // stem + "_disAmp.csv": amplitude spectrum of the displacement
};
inline constexpr int kConversionFileCount = 5;
inline constexpr std::array<ConversionFile, kConversionFileCount> kAllConversionFiles = {
    ConversionFile::kAcceleration, ConversionFile::kVelocity, ConversionFile::kDisplacement,
    ConversionFile::kVelocitySpectrum, ConversionFile::kDisplacementSpectrum};

// "_acc.csv", "_vel.csv", "_dis.csv", "_velAmp.csv", "_disAmp.csv".
std::string_view ConversionSuffix(ConversionFile file);

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
