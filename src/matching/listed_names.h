// Whether a sorted file list holds a given name, found by the list's own
// order: no copy of the names, no index besides the list.
#ifndef TRAMLUNE_MATCHING_LISTED_NAMES_H_
#define TRAMLUNE_MATCHING_LISTED_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/lead_bytes.h"
#include "matching/file_list.h"

/// Appends text with "a".."z" folded; the trail byte of a double-byte
/// character of lead is left as it is. Names that this makes equal are one
/// name where the system folds case (as Windows compares names).
void AppendFolded(std::string& out, std::string_view text,
                  const LeadByteTable& lead);

/// The names of a sorted list (FileList::Sort), asked whether one is there.
class ListedNames {
 public:
  /// list must stay sorted and outlive this.
  ListedNames(const FileList& list, bool fold_case);

  /// Whether the list holds name: a name of the same bytes, or with
  /// fold_case, one that AppendFolded with the list's lead bytes makes into
  /// name's bytes (name is taken as folded already; no ASCII letter may
  /// lead a character, as on every code page). The search starts at the
  /// entry near and widens from there as far as it must: a name that sorts
  /// close to near costs a few reads of names.
  bool Holds(std::string_view name, int32_t near) const;

  /// Fetches the names that Holds reads first from near, ahead of a call.
  void Prefetch(int32_t near) const;

 private:
  // Where name, of base name base and extension ext, stands against entry i
  // in the list's order: <0 before it, 0 among the names it ties with, >0
  // after it.
  int OrderAgainst(int32_t i, std::string_view base,
                   std::string_view ext) const;
  bool Matches(int32_t i, std::string_view name) const;

  const FileList& list_;
  bool fold_case_;
  const LeadByteTable& lead_;  // NoLeadBytes() when the list's has none
};

#endif  // TRAMLUNE_MATCHING_LISTED_NAMES_H_
