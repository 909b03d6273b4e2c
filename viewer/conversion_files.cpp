#include "viewer/conversion_files.hpp"

#include <filesystem>
#include <system_error>

namespace accprep {

std::string_view ConversionSuffix(ConversionFile file) {
  switch (file) {
    case ConversionFile::kAcceleration: return "_acc.csv";
    case ConversionFile::kVelocity: return "_vel.csv";
    case ConversionFile::kDisplacement: return "_dis.csv";
    case ConversionFile::kVelocitySpectrum: return "_velAmp.csv";
    case ConversionFile::kDisplacementSpectrum: return "_disAmp.csv";
  }
  return {};
}

int ConversionFiles::PresentCount() const {
  int count = 0;
  for (bool p : present) count += p ? 1 : 0;
  return count;
}

ConversionFiles ConversionFilesOfStem(const std::string& stem) {
  ConversionFiles files;
  files.stem = stem;
  for (int i = 0; i < kConversionFileCount; ++i) {
    files.paths[i] = stem + std::string(ConversionSuffix(kAllConversionFiles[i]));
    std::error_code error;
    // An unreadable folder counts as absent here; opening the file later names the reason.
    files.present[i] = std::filesystem::is_regular_file(files.paths[i], error);
  }
  return files;
}

ConversionFiles FindConversionFiles(const std::string& path) {
  // The input stem drops exactly four characters, whatever they are, as the conversion does.
  const std::string inputStem = path.size() > 4 ? path.substr(0, path.size() - 4) : std::string();
  ConversionFiles asInput = ConversionFilesOfStem(inputStem);
  for (ConversionFile file : kAllConversionFiles) {
    const std::string_view suffix = ConversionSuffix(file);
    if (path.size() >= suffix.size() &&
        std::string_view(path).substr(path.size() - suffix.size()) == suffix) {
      ConversionFiles asOutput = ConversionFilesOfStem(path.substr(0, path.size() - suffix.size()));
      return asInput.PresentCount() > asOutput.PresentCount() ? asInput : asOutput;
    }
  }
  return asInput;
}

}  // namespace accprep
