// Output that every run of the tool begins with.
#ifndef TRAMLUNE_TESTS_EXPECTED_OUTPUT_H_
#define TRAMLUNE_TESTS_EXPECTED_OUTPUT_H_

#include <string>

inline const std::string kBanner =
    "@rem    " + std::string(67, '_') + "\r\n"
    "@rem\r\n"
    "@rem    Tramlune v0.05" + std::string(36, ' ') + "Ruvok, 2002/12/10\r\n"
    "@rem    " + std::string(67, '_') + "\r\n"
    "\r\n";

inline const std::string kScriptStart = kBanner + "@echo off\r\n";

#endif  // TRAMLUNE_TESTS_EXPECTED_OUTPUT_H_
