// tramlune: writes a batch script that runs one command over every parent
// file of a mask together with its clones.
#include "app/output.h"
#include "app/tramlune.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  PrepareProcess();
  Platform& platform = SystemPlatform();
  Output output(platform);
  StopOnOutOfMemory(&output);
  int status = RunTramlune(CommandLineArguments(argc, argv), platform, output);
  output.Flush();
  return status;
}
