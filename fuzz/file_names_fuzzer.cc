// The name rules on arbitrary names (any bytes but NUL, which no file name
// holds), with no lead bytes or with a lead-byte table from the input:
// - BaseName is a leading part of the name and BaseName + Extension is
//   the name; the extension is empty or begins with "."; without lead bytes
//   it holds no further ".", "\" or ":", and an empty extension means that
//   no "." follows the last "\" or ":";
// - DirectoryPart is a leading part that is empty or ends with "\", "/" or
//   ":"; without lead bytes, none of them follows it;
// - FoldedCompare is 0 exactly when the names are equal with "a".."z"
//   folded, FoldedPrefixLength is where they first differ, and both
//   FoldedCompare and CompareFileNames are strict weak orderings:
//   irreflexive, antisymmetric and transitive on every triple, equality
//   transitive too;
// - HoldsText finds an occurrence, none in an empty text or of an empty one;
// - ScriptCanHold of a batch script agrees with the byte-by-byte reference;
// - a FileList sorts its names in CompareFileNames order; spread over
//   ranges from a sample of a few names on, the pieces sort into the order
//   and shared prefixes that they have without;
// - ListedNames finds, from any entry on, exactly the names of a sorted list
//   of the first pieces (byte for byte, or folded as AppendFolded folds
//   them, for lead bytes that are no ASCII letters): the pieces, their
//   variants with letters of the other case, and with a byte more or less.
#include <algorithm>
#include <set>
#include <span>
#include <string>

#include "base/path_parts.h"
#include "fuzz_input.h"
#include "matching/file_list.h"
#include "matching/listed_names.h"
#include "script/path_quoting.h"
#include "../tests/reference_checks.h"
#include "../tests/reference_grouping.h"

namespace {

int Sign(int r) { return (r > 0) - (r < 0); }

bool IsOneOf(char c, std::string_view set) {
  return set.find(c) != std::string_view::npos;
}

std::string Folded(std::string_view text) {
  std::string out;
  for (unsigned char c : text)
    out += static_cast<char>(FoldByte(c));
  return out;
}

void CheckSplitting(std::string_view name, const LeadByteTable& lead,
                    bool has_lead) {
  std::string_view base = BaseName(name, lead);
  std::string_view ext = name.substr(base.size());
  FUZZ_CHECK(name.substr(0, base.size()) == base);
  FUZZ_CHECK(ext.empty() || ext[0] == '.');
  if (!has_lead) {
    for (size_t i = 1; i < ext.size(); ++i)
      FUZZ_CHECK(!IsOneOf(ext[i], ".\\:"));
    if (ext.empty()) {
      size_t last = name.find_last_of("\\:");
      size_t from = last == std::string_view::npos ? 0 : last + 1;
      FUZZ_CHECK(name.find('.', from) == std::string_view::npos);
    }
  }

  std::string_view dir = DirectoryPart(name, lead);
  FUZZ_CHECK(name.substr(0, dir.size()) == dir);
  FUZZ_CHECK(dir.empty() || IsOneOf(dir.back(), "\\/:"));
  if (!has_lead)
    FUZZ_CHECK(name.find_first_of("\\/:", dir.size()) ==
               std::string_view::npos);
}

// Checks that compare (a strict weak ordering's three-way form) behaves as
// one on the triple of items 0, 1, 2.
template <typename Compare>
void CheckOrdering(const Compare& compare) {
  int c[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      c[i][j] = Sign(compare(i, j));
  for (int i = 0; i < 3; ++i) {
    FUZZ_CHECK(c[i][i] == 0);
    for (int j = 0; j < 3; ++j) {
      FUZZ_CHECK(c[i][j] == -c[j][i]);
      for (int k = 0; k < 3; ++k) {
        if (c[i][j] <= 0 && c[j][k] <= 0)
          FUZZ_CHECK(c[i][k] <= 0);
        if (c[i][j] < 0 && c[j][k] <= 0)
          FUZZ_CHECK(c[i][k] < 0);
        if (c[i][j] == 0 && c[j][k] == 0)
          FUZZ_CHECK(c[i][k] == 0);
      }
    }
  }
}

// Spread over ranges from a sample of a few names on, the pieces sort as
// they do without, with the same shared prefixes.
void CheckSpreadSort(std::span<const std::string_view> pieces,
                     const LeadByteTable& lead) {
  FileList list(lead), spread(lead);
  spread.SpreadOver(2 + pieces.size() % 5);
  for (std::string_view piece : pieces) {
    list.Append(piece);
    spread.Append(piece);
  }
  list.Sort();
  spread.Sort();
  FUZZ_CHECK(spread.Count() == list.Count());
  for (int32_t i = 0; i < list.Count(); ++i) {
    FUZZ_CHECK(spread.Name(i) == list.Name(i));
    FUZZ_CHECK(i == 0 ||
               spread.SharedPrefix(i - 1, i) == list.SharedPrefix(i - 1, i));
  }
}

// The checks of ListedNames on a sorted list of pieces, names compared
// byte for byte or folded: each query against a set of the listed names.
void CheckListedNames(std::span<const std::string_view> pieces,
                      LeadByteTable lead, bool fold) {
  // Folding keeps a character's parts only where no letter leads one, as
  // on every code page.
  for (int c = 'A'; c <= 'Z'; ++c)
    lead[c] = lead[c + 0x20] = false;
  FileList list(lead);
  for (std::string_view piece : pieces)
    list.Append(piece);
  list.Sort();
  auto as_asked = [&](std::string_view name) {
    std::string out;
    if (!fold)
      return std::string(name);
    AppendFolded(out, name, lead);
    return out;
  };
  std::set<std::string> listed;
  for (int32_t i = 0; i < list.Count(); ++i)
    listed.insert(as_asked(list.Name(i)));
  ListedNames names(list, fold);
  auto check = [&](std::string_view query, size_t q) {
    // The search starts at entries all over the list.
    const int32_t near = static_cast<int32_t>(q * 7 % pieces.size());
    std::string asked = as_asked(query);
    FUZZ_CHECK(names.Holds(asked, near) == (listed.count(asked) != 0));
  };
  for (size_t q = 0; q < pieces.size(); ++q) {
    std::string_view piece = pieces[q];
    std::string flipped(piece);
    for (char& c : flipped)
      if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
        c ^= 0x20;
    check(piece, q);
    check(flipped, q + 1);
    check(std::string(piece) + "a", q + 2);
    check(piece.substr(0, piece.empty() ? 0 : piece.size() - 1), q + 3);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  LeadByteTable lead = input.LeadBytes(mode);
  std::vector<std::string_view> pieces = input.Split('\0');
  std::string_view names[3];
  for (size_t i = 0; i < 3; ++i)
    names[i] = i < pieces.size() ? pieces[i] : std::string_view();

  bool has_lead = false;
  for (bool b : lead)
    has_lead = has_lead || b;
  for (std::string_view name : names) {
    CheckSplitting(name, lead, has_lead);
    FUZZ_CHECK(ScriptCanHold(ScriptKind::kBatch, name) ==
               ReferenceBatchCanHold(name));
  }

  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      std::string_view a = names[i], b = names[j];
      size_t shared = FoldedPrefixLength(a, b);
      FUZZ_CHECK(shared <= a.size() && shared <= b.size());
      FUZZ_CHECK(Folded(a.substr(0, shared)) == Folded(b.substr(0, shared)));
      FUZZ_CHECK(shared == a.size() || shared == b.size() ||
                 FoldByte(a[shared]) != FoldByte(b[shared]));
      FUZZ_CHECK((FoldedCompare(a, b) == 0) == (Folded(a) == Folded(b)));

      FUZZ_CHECK(HoldsText(a, b) ==
                 (!b.empty() && a.find(b) != std::string_view::npos));
    }
  CheckOrdering([&names](int i, int j) {
    return FoldedCompare(names[i], names[j]);
  });

  FileList list(lead);
  for (std::string_view name : names)
    list.Append(name);
  CheckOrdering([&list](int i, int j) {
    return CompareFileNames(list, i, j);
  });
  list.Sort();
  for (int32_t i = 1; i < list.Count(); ++i)
    FUZZ_CHECK(CompareFileNames(list, i - 1, i) <= 0);
  CheckSpreadSort(pieces, lead);
  // The list of the first pieces: a dozen names or so show every way of
  // the search, more only slow the run.
  CheckListedNames(std::span(pieces).first(std::min<size_t>(pieces.size(), 16)),
                   lead, mode & 4);
  return 0;
}
