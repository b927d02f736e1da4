// An in-memory platform: a listing per mask, standard output captured. The
// one stand-in for the system that tests, fuzz targets and benchmarks use.
#ifndef TRAMLUNE_TESTS_FAKE_PLATFORM_H_
#define TRAMLUNE_TESTS_FAKE_PLATFORM_H_

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

/// Thrown by EndProcess so that a test can look at what a stop wrote.
struct ProcessEnded {
  int status;
};

class FakePlatform : public Platform {
 public:
  /// Entries that SearchDirectory yields for mask, in this order.
  std::map<std::string, std::vector<std::pair<std::string, bool>>> listings;
  /// When set, files that SearchDirectory yields for a mask that listings
  /// does not hold (a benchmark's many names, not copied).
  const std::vector<std::string>* files = nullptr;
  bool console = false;
  /// Every WriteStdout call's bytes, one string per call, unless only
  /// counted.
  std::vector<std::string> writes;
  bool count_writes_only = false;
  size_t bytes_written = 0;
  /// The 0-based numbers of the writes that fail, with fail_error.
  std::set<size_t> failing_writes;
  uint32_t fail_error = 0;
  LeadByteTable lead{};
  /// Everything written to standard error.
  std::string errors;
  /// What TextLineEnd and NamesFoldCase answer.
  std::string line_end = "\n";
  bool fold_case = false;

  /// The files that ReadWholeFile reads, by path; any other is missing.
  std::map<std::string, std::string> files_to_read;

  SearchResult SearchDirectory(std::string_view mask,
                               const DirectoryVisitor& visit) override {
    SearchResult result;
    auto it = listings.find(std::string(mask));
    if (it == listings.end()) {
      if (files)
        for (const std::string& name : *files)
          visit(name, false);
      return result;
    }
    for (const auto& [name, is_directory] : it->second)
      visit(name, is_directory);
    return result;
  }
  bool StdoutIsConsole() override { return console; }
  uint32_t WriteStdout(const char* data, size_t size) override {
    bytes_written += size;
    if (count_writes_only)
      return 0;
    if (failing_writes.count(writes.size())) {
      writes.emplace_back();  // counts the attempt, delivers nothing
      return fail_error;
    }
    writes.emplace_back(data, size);
    return 0;
  }
  const char* StdoutFailureReason() override {
    return "No space left on device";
  }
  void WriteStderr(std::string_view text) override { errors += text; }
  std::string ProgramFileName() override { return "tramlune.exe"; }
  const LeadByteTable& LeadBytes() override { return lead; }
  std::string_view TextLineEnd() override { return line_end; }
  bool NamesFoldCase() override { return fold_case; }
  bool ReadWholeFile(std::string_view path, std::string* contents,
                     std::string* reason) override {
    auto it = files_to_read.find(std::string(path));
    if (it == files_to_read.end()) {
      *reason = "No such file or directory";
      return false;
    }
    *contents = it->second;
    return true;
  }
  bool NameFromUtf8(std::string_view text, std::string* name) override {
    name->assign(text);
    return true;
  }
  bool Utf8NamesUnchanged() override { return true; }
  [[noreturn]] void EndProcess(int status) override {
    throw ProcessEnded{status};
  }

  /// All bytes written, joined.
  std::string Written() const {
    std::string all;
    for (const std::string& w : writes)
      all += w;
    return all;
  }
};

#endif  // TRAMLUNE_TESTS_FAKE_PLATFORM_H_
