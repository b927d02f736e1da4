#include "reference_grouping.h"

#include "matching/no_intro_names.h"

namespace {

bool PrefixTest(const std::string& name, std::string_view prefix) {
  std::string_view head = std::string_view(name).substr(0, prefix.size());
  return FoldedCompare(head, prefix) == 0;
}

std::string Quoted(std::string_view dir, std::string_view name) {
  std::string out = "\"";
  if (dir.empty() && name.substr(0, 1) == "-")
    out += ".\\";
  for (char c : std::string(dir) + std::string(name)) {
    out += c;
    if (c == '%')
      out += '%';
  }
  return out + "\"";
}

}  // namespace

int FoldedCompare(std::string_view a, std::string_view b) {
  size_t i = FoldedPrefixLength(a, b);
  // The end of a text counts as a byte of value 0.
  int ca = i < a.size() ? FoldByte(static_cast<unsigned char>(a[i])) : 0;
  int cb = i < b.size() ? FoldByte(static_cast<unsigned char>(b[i])) : 0;
  return ca - cb;
}

int CompareFileNames(const FileList& list, int32_t i, int32_t j) {
  int r = FoldedCompare(list.Base(i), list.Base(j));
  if (r == 0)
    r = FoldedCompare(list.Extension(i), list.Extension(j));
  return r;
}

int ReferenceExtendRun(const ReferenceList& list, std::string_view prefix,
                       int start, int step) {
  int count = static_cast<int>(list.names.size());
  if (start < 0 || start >= count || prefix.empty())
    return -1;
  int k = start + step;
  while (k >= 0 && k < count && PrefixTest(list.names[k], prefix)) {
    start = k;
    k = start + step;
  }
  return start;
}

std::string ReferenceBuildGroupLine(std::string_view dir,
                                    std::string_view prefix,
                                    std::string_view suffix,
                                    std::string_view filter, int index,
                                    ReferenceList& list) {
  int count = static_cast<int>(list.names.size());
  if (index < 0 || index >= count)
    return "";
  const std::string& name = list.names[index];
  if (!filter.empty() && name.find(filter) == std::string::npos)
    return "";
  std::string base(BaseName(name, list.lead));
  size_t p = base.find('[');
  p = (p == std::string::npos) ? 0 : p + 1;  // 1-based position
  while (p > 1 && base[p - 2] == ' ')
    --p;
  if (p == 0)
    p = base.size();
  size_t m = p;
  if (m == 0)
    return "";  // an empty base: no levels at all
  std::string current = base;
  std::string clones;
  while (current.size() >= m) {
    std::string level;
    int lo = ReferenceExtendRun(list, current, index, -1);
    int hi = ReferenceExtendRun(list, current, index, +1);
    if (hi - lo > 0) {
      for (int j = lo; j <= hi; ++j) {
        if (j != index && list.marks[j] == 0) {
          level += ' ';
          level += Quoted(dir, list.names[j]);
          list.marks[index] = -1;
          list.marks[j] = -1;
        }
      }
    }
    clones += level;
    current.pop_back();
  }
  if (clones.empty())
    return "";
  return std::string(prefix) + " " + Quoted(dir, name) + " " + clones + " " +
         std::string(suffix);
}

std::vector<std::string> ReferenceGroupLines(std::string_view dir,
                                             std::string_view prefix,
                                             std::string_view suffix,
                                             ReferenceList& list) {
  std::vector<std::string> lines;
  for (std::string_view filter : {"[!]", ""}) {
    int count = static_cast<int>(list.names.size());
    for (int i = 0; i < count; ++i) {
      std::string line =
          ReferenceBuildGroupLine(dir, prefix, suffix, filter, i, list);
      if (!line.empty())
        lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string_view> IdentityTags(std::string_view tags) {
  std::vector<std::string_view> identity;
  size_t pos = 0;
  for (std::string_view tag = NextNoIntroIdentityTag(tags, &pos);
       !tag.empty(); tag = NextNoIntroIdentityTag(tags, &pos))
    identity.push_back(tag);
  return identity;
}
