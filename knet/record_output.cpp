#include "knet/record_output.hpp"

#include <unistd.h>

#include <optional>

#include "engine/atomic_file.hpp"
#include "engine/conversion_names.hpp"
#include "knet/record_text.hpp"

namespace accprep {

std::string DefaultRecordPath(const KnetTrace& first) {
  std::string stamp;
  for (const char c : first.header.recordTime) {
    if (c >= '0' && c <= '9') stamp += c;
  }
  return InFolder(FolderOf(first.file), first.header.stationCode + "_" + stamp + ".csv");
}

void WriteRecord(const KnetRecord& record, const std::string& destination) {
  std::optional<AtomicFile> file;
  if (destination == kStandardOutput) {
    file.emplace(STDOUT_FILENO, "standard output");
  } else {
    file.emplace(destination);
  }
  WriteRecordText(record, [&file](std::string_view piece) { file->Write(piece); });
  file->Commit();
}

}  // namespace accprep
