#include "knet/record_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/atomic_file.hpp"
#include "engine/conversion_names.hpp"
#include "engine/data_error.hpp"
#include "knet/record_text.hpp"

namespace accprep {
namespace {

void WriteToStandardOutput(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw DataError(DataErrorKind::kIo,
                      "cannot write the standard output: " + SystemReason(errno));
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

std::string DefaultRecordPath(const KnetTrace& first) {
  std::string stamp;
  for (const char c : first.header.recordTime) {
    if (c >= '0' && c <= '9') stamp += c;
  }
  return InFolder(FolderOf(first.file), first.header.stationCode + "_" + stamp + ".csv");
}

void WriteRecord(const KnetRecord& record, const std::string& destination,
                 const std::vector<std::string>& inputs) {
  if (destination == kStandardOutput) {
    WriteRecordText(record, WriteToStandardOutput);
    return;
  }
  for (const std::string& input : inputs) {
    if (SameFile(destination, input)) {
      throw DataError(DataErrorKind::kInput, "the record would replace its input file " + input,
                      destination);
    }
  }
  AtomicFile file(destination);
  WriteRecordText(record, [&file](std::string_view piece) { file.Write(piece); });
  file.Commit();
}

}  // namespace accprep
