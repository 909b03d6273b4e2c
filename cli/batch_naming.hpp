#pragma once
// Output base names for a batch: one command line that converts several records in turn.
// Each record's three matrix files go to the same out/ folder, so each run needs a base name
// of its own; it is derived from the record's file name.

#include <optional>
#include <string>
#include <vector>

namespace accprep {

// The file name of `inputPath` (after its last '/') without its extension: the part from its
// last '.' on, unless that dot is the name's first character (".hidden" keeps its name).
// "data/site1.csv" -> "site1", "a.tar.gz" -> "a.tar", "rec" -> "rec".
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
