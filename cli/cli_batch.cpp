#include "cli/cli_batch.hpp"

#include <exception>
#include <new>

#include "cli/batch_naming.hpp"
#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"

namespace accprep {
namespace {

void ReportFailure(const TerminalOutput& output, const CliOptions& options, std::size_t index,
                   const std::string& message) {
  const ProgramVoice voice{kCliProgram};
  const std::size_t count = options.inputs.size();
  if (count == 1) {
    voice.Failure(message, output.status);
    return;
  }
  voice.Failure(options.inputs[index] + ": " + message, output.status);
  output.status << index << " of " << count << " inputs converted; the batch stopped at "
                << options.inputs[index] << '\n'
                << std::flush;
}

std::string InterruptionMessage(const EngineError& error) {
  if (error.step() == 0) return "interrupted before the conversion began";
  return "interrupted at step " + std::to_string(error.step()) + " (" + error.stepName() + ")";
}

}  // namespace

int RunBatch(const CliOptions& options, const std::string& exchangeFolder,
             const TerminalOutput& output, const ConversionFn& convert) {
  const std::size_t count = options.inputs.size();
  for (std::size_t index = 0; index < count; ++index) {
    const std::string& input = options.inputs[index];
    if (count > 1) {
      output.status << '[' << index + 1 << '/' << count << "] " << input << '\n' << std::flush;
    }
    const RunInputs inputs{input, BatchBaseName(options.baseName, input, count), options.comment,
                           exchangeFolder, !options.noWait};
    TerminalHost host(output);
    std::string failure;
    int exitCode = kExitFailure;
    try {
      convert(inputs, host);
      continue;
    } catch (const EngineError& error) {
      failure = error.what();
      if (error.kind() == ErrorKind::kInterrupted) {
        failure = InterruptionMessage(error);
        exitCode = 128 + InterruptionSignal();
      }
    } catch (const std::bad_alloc&) {
      // The one large allocation of a run is the sample table (about 155 MB).
      failure = "not enough memory for the sample table";
    } catch (const std::exception& error) {
      // EngineError's text already leads with the step and names the file and position.
      failure = error.what();
    }
    host.ClearProgress();
    ReportFailure(output, options, index, failure);
    return exitCode;
  }
  return kExitSuccess;
}

}  // namespace accprep
