#pragma once
// Output base names for a batch: one command line that converts several records in turn.
// Each record's three matrix files go to the same out/ folder, so each run needs a base name
// of its own; it is derived from the record's file name.

#include <optional>
#include <string>
#include <vector>

namespace accprep {

// The file name of `inputPath` without its extension, as std::filesystem takes it apart: the
// part from the name's last '.' on goes, unless that dot is its first character (".hidden"
// keeps its name). "data/site1.csv" -> "site1", "a.tar.gz" -> "a.tar", "rec" -> "rec".
//
// Not the input stem of the channel files (conversion_names.hpp), which drops four characters
// whatever they are and keeps the folder: that rule names files beside the input that earlier
// conversions wrote and users look for. A batch name is new and goes into out/ beside others,
// so it takes the file name only, and only as much of it as is an extension.
std::string InputFileStem(const std::string& inputPath);

// The output base name of `inputPath` within a batch of `inputCount` records: `baseName`
// itself for a single record, else baseName + "_" + InputFileStem(inputPath)
// ("b1", "recs/a.csv" -> "b1_a").
std::string BatchBaseName(const std::string& baseName, const std::string& inputPath,
                          std::size_t inputCount);

// Two inputs of one batch that would get the same base name, and so overwrite each other's
// matrix files (the same record given twice, or records of one name in two folders).
struct BatchCollision {
  std::string firstInput;
  std::string secondInput;
  std::string baseName;
};

// The first such pair in input order, or none.
std::optional<BatchCollision> FindBatchCollision(const std::string& baseName,
                                                 const std::vector<std::string>& inputs);

}  // namespace accprep
