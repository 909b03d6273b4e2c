// accprep-knet: K-NET and KiK-net ASCII files assembled into one acceleration record for
// accprep. See knet_options.hpp for the command line and knet_run.hpp for what it does.

#include <iostream>

#include "engine/interruption.hpp"
#include "knet/knet_options.hpp"
#include "knet/knet_run.hpp"

int main(int argc, char** argv) {
  // First, before any thread: an interrupted assembly removes its temporary record.
  accprep::HandleInterruptionSignals(nullptr);
  const accprep::ParseOutcome<accprep::KnetOptions> parsed =
      accprep::ParseKnetCommandLine(argc, argv, std::cout, std::cerr);
  if (!parsed.options) return parsed.exitCode;
  const accprep::ProgramVoice voice{accprep::kKnetProgram};
  return voice.Run(
      [&] {
        accprep::AssembleKnetFiles(*parsed.options, std::cerr);
        return accprep::kExitSuccess;
      },
      std::cerr);
}
