#include "set_dat.h"

#include <map>
#include <string_view>

#include "matching/file_names.h"
#include "matching/no_intro_names.h"

namespace {

// Escapes the XML specials of text.
void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

}  // namespace

std::string MakeSetDat(const std::vector<std::string>& names) {
  std::map<std::string, std::string> parent_of_title;
  std::string dat = "<?xml version=\"1.0\"?>\n<datafile>\n<header><name>Bench"
                    "</name></header>\n";
  for (const std::string& name : names) {
    std::string_view base = BaseName(name);
    std::string title(base.substr(0, NoIntroTitleLength(base)));
    auto [parent, first] = parent_of_title.emplace(title, base);
    dat += "\t<game name=\"";
    AppendEscaped(dat, base);
    if (!first) {
      dat += "\" cloneof=\"";
      AppendEscaped(dat, parent->second);
    }
    dat += "\">\n\t\t<description>";
    AppendEscaped(dat, base);
    dat += "</description>\n\t\t<rom name=\"";
    AppendEscaped(dat, name);
    dat += "\" size=\"1048576\" crc=\"01234567\" "
           "sha1=\"0123456789abcdef0123456789abcdef01234567\"/>\n"
           "\t</game>\n";
  }
  dat += "</datafile>\n";
  return dat;
}
