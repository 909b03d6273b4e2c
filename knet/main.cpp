// accprep-knet: K-NET and KiK-net ASCII files assembled into one acceleration record for
// accprep. See knet_options.hpp for the command line and knet_run.hpp for what it does.

#include <exception>
#include <iostream>
#include <new>

#include "cli/cli_options.hpp"
#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"
#include "knet/knet_options.hpp"
#include "knet/knet_run.hpp"

int main(int argc, char** argv) {
  // First, before any thread: an interrupted assembly removes its temporary record.
  accprep::HandleInterruptionSignals(nullptr);
  const accprep::KnetParseOutcome parsed =
      accprep::ParseKnetCommandLine(argc, argv, std::cout, std::cerr);
  if (!parsed.options) return parsed.exitCode;
  try {
    accprep::AssembleKnetFiles(*parsed.options, std::cerr);
  } catch (const accprep::EngineError& error) {
    std::cerr << "error: " << error.what() << '\n';
    return error.kind() == accprep::ErrorKind::kInterrupted ? accprep::InterruptedExitCode()
                                                            : accprep::kExitFailure;
  } catch (const std::bad_alloc&) {
    std::cerr << "error: not enough memory to assemble the record\n";
    return accprep::kExitFailure;
  } catch (const std::exception& error) {
    std::cerr << "error: " << error.what() << '\n';
    return accprep::kExitFailure;
  }
  return accprep::kExitSuccess;
}
