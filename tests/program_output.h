// Standard output as the program sets it up: the output buffer and the
// failure stop that writes it out first.
#ifndef TRAMLUNE_TESTS_PROGRAM_OUTPUT_H_
#define TRAMLUNE_TESTS_PROGRAM_OUTPUT_H_

#include "app/failure_stop.h"
#include "app/output_buffer.h"

class Platform;

struct ProgramOutput {
  explicit ProgramOutput(Platform& platform)
      : stop(platform), buffer(platform, stop) {}
  FailureStop stop;
  OutputBuffer buffer;
};

#endif  // TRAMLUNE_TESTS_PROGRAM_OUTPUT_H_
