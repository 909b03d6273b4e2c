#include "viewer/conversion_data.hpp"

#include "engine/data_error.hpp"

namespace accprep {

HeaderForm HeaderFormOf(ConversionFile file) {
  return file == ConversionFile::kAcceleration ? HeaderForm::kOptionalComment
                                               : HeaderForm::kOneLine;
}

std::uint64_t ConversionBytes(const ConversionFiles& files,
                              std::span<const ConversionFile> wanted) {
  std::uint64_t total = 0;
  for (ConversionFile file : wanted) {
    if (files.has(file)) total += FileSize(files.path(file));
  }
  return total;
}

ConversionData LoadConversion(const ConversionFiles& files, std::span<const ConversionFile> wanted,
                              LoadProgress* progress) {
  ConversionData data;
  data.files = files;
  for (ConversionFile file : wanted) {
    if (!files.has(file)) continue;
    const int index = static_cast<int>(file);
    try {
      data.tables[index] = LoadChannelTable(files.path(file), HeaderFormOf(file), progress);
    } catch (const DataError& error) {
      data.errors[index] = error.what();
    } catch (const std::bad_alloc&) {
      data.errors[index] = files.path(file) + ": not enough memory to load the file";
    }
  }
  return data;
}

}  // namespace accprep
