// tramlune: writes a batch script that runs one command over every parent
// file of a mask together with its clones.
#include "app/failure_stop.h"
#include "app/output_buffer.h"
#include "app/tramlune.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  PrepareProcess();
  Platform& platform = SystemPlatform();
  FailureStop stop(platform);
  OutputBuffer output(platform, stop);
  StopOnOutOfMemory(&stop);
  ExitStatus status = RunTramlune(CommandLineArguments(argc, argv), platform,
                                  output, stop);
  output.Flush();
  return status;
}
