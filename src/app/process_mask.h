// The script writer: lists the files of a mask, groups them and writes one
// command line per group.
#ifndef TRAMLUNE_APP_PROCESS_MASK_H_
#define TRAMLUNE_APP_PROCESS_MASK_H_

#include <string>
#include <string_view>

#include "app/options.h"
#include "matching/file_list.h"
#include "script/line_sink.h"

class Platform;

/// The lines for standard error of a listing: written at once, or held in
/// their order until Release, for a listing made while something that may
/// yet end the run is done beside it.
class ListingErrors {
 public:
  ListingErrors(Platform& platform, bool hold)
      : platform_(platform), hold_(hold) {}
  void Write(std::string_view line);
  /// Writes the lines held, and those that come later at once.
  void Release();

 private:
  Platform& platform_;
  bool hold_;
  std::string held_;
};

/// Lists the files that match options.mask (directories skipped), sorts
/// them, groups them by the naming rules of options and writes to sink one
/// command line per group, in the order the grouping hands them over, the
/// paths quoted for a script of options.kind with the mask's directory part
/// in front, between options.prefix and options.suffix; with --template the
/// lines are those of options.line instead, and a group left out for a
/// filled-in word is reported on standard error. With --singles every
/// listed file stands in exactly one line. A file whose name the script or
/// the system code page cannot hold is left out, and a mask whose directory
/// part the script cannot hold lists nothing; each is reported on standard
/// error, and so are a directory that could not be read and a mask that
/// matched no file (standard output, which the search leaves out silently,
/// counts as a match).
void ProcessMask(const Options& options, Platform& platform, LineSink& sink);

/// The first half of ProcessMask: appends to *list the files that match
/// options.mask, and writes to errors what the listing meets. Returns false
/// when the mask's directory part keeps anything from being listed.
bool ListMask(const Options& options, Platform& platform,
              ListingErrors& errors, FileList* list);

/// The second half of ProcessMask: sorts list, made by ListMask, groups it
/// and writes its lines to sink.
void WriteMaskLines(const Options& options, Platform& platform,
                    FileList& list, LineSink& sink);

#endif  // TRAMLUNE_APP_PROCESS_MASK_H_
