#include "app/reports.h"

#include "base/shown_text.h"

std::string EscapedName(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    if (ShownAsItself(c)) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      AppendHex(out, c, 2);
    }
  }
  return out;
}

std::string LeftOutNameLine(std::string_view name) {
  return "tramlune: left out a name that a batch script cannot hold: \"" +
         EscapedName(name) + "\"\n";
}

std::string LeftOutDirectoryLine(std::string_view dir) {
  return "tramlune: left out the files of a directory that a batch script "
         "cannot hold: \"" + EscapedName(dir) + "\"\n";
}

std::string LeftOutGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view argument, bool listed) {
  std::string line = "tramlune: left out the group of \"" +
                     EscapedName(dir) + EscapedName(parent) + "\": ";
  line += listed ? "its argument would overwrite a listed file: \""
                 : "a batch script cannot hold its argument: \"";
  return line + EscapedName(argument) + "\"\n";
}
