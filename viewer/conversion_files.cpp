#include "viewer/conversion_files.hpp"

#include <filesystem>
#include <system_error>

namespace accprep {

int ConversionFiles::PresentCount() const {
  int count = 0;
  for (bool p : present) count += p ? 1 : 0;
  return count;
}

ConversionFiles ConversionFilesOfStem(const std::string& stem) {
  ConversionFiles files;
  files.stem = stem;
  for (int i = 0; i < kConversionFileCount; ++i) {
    files.paths[i] = ConversionFilePath(stem, kAllConversionFiles[i]);
    std::error_code error;
    // An unreadable folder counts as absent here; opening the file later names the reason.
    files.present[i] = std::filesystem::is_regular_file(files.paths[i], error);
  }
  return files;
}

ConversionFiles FindConversionFiles(const std::string& path) {
  const std::string inputStem = InputStem(path).value_or(std::string());
  ConversionFiles asInput = ConversionFilesOfStem(inputStem);
  for (ConversionFile file : kAllConversionFiles) {
    if (const std::optional<std::string> stem = ConversionFileStem(path, file)) {
      ConversionFiles asOutput = ConversionFilesOfStem(*stem);
      return asInput.PresentCount() > asOutput.PresentCount() ? asInput : asOutput;
    }
  }
  return asInput;
}

}  // namespace accprep
