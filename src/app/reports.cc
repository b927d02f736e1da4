#include "app/reports.h"

#include <cstdio>

#include "base/shown_text.h"
#include "matching/no_intro_regions.h"

namespace {

// The system's path separator, which messages write as it is.
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

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

std::string LeftOutUnheldNameLine(const UnheldName& name) {
  std::string why = name.max_bytes ? "is longer than " +
                                         std::to_string(name.max_bytes) +
                                         " bytes in the system code page"
                                   : "the system code page cannot hold";
  return "tramlune: left out a name that " + why + ": \"" + name.shown +
         "\"\n";
}

std::string LeftOutDirectoryLine(std::string_view dir) {
  return "tramlune: left out the files of a directory that a batch script "
         "cannot hold: \"" + EscapedName(dir) + "\"\n";
}

std::string UsageErrorLine(std::string_view message) {
  return "tramlune: " + std::string(message) + "\n";
}

std::string UnknownOptionMessage(std::string_view word,
                                 std::string_view options) {
  return "unknown option \"" + std::string(word) + "\": the options are " +
         std::string(options) + "; write -- before a mask that begins with -";
}

std::string NeedsValueMessage(std::string_view option) {
  return std::string(option) + " needs a value: write " + std::string(option) +
         " VALUE before the mask";
}

std::string UnknownRegionMessage(std::string_view region) {
  std::string message = "unknown region \"" + std::string(region) +
                        "\" in --regions: write regions as the names write "
                        "them, parted by commas, from ";
  for (std::string_view word : kNoIntroRegions) {
    if (word != kNoIntroRegions[0])
      message += ", ";
    message += word;
  }
  return message;
}

std::string TooManyArgumentsMessage(size_t count) {
  return std::to_string(count) +
         " arguments follow the options, but a mask, a command prefix and a "
         "suffix are three at most: quote the mask, so that the shell does "
         "not expand it, and the prefix and suffix, each as one argument, "
         "as in tramlune --sh --template '*.v64' '7zz a -sdel "
         "{dir}{title}.7z'";
}

std::string NoMatchLine(std::string_view mask, bool matched_directory) {
  std::string line = "tramlune: no file matches \"" + EscapedName(mask) + "\"";
  if (!mask.empty() && mask[0] == '-') {
    line += ": it is no option; options go before the mask, see --help";
  } else if (matched_directory &&
             mask.find_first_of("*?") == std::string_view::npos) {
    // The separator is the system's own, written as it is.
    line += ": it is a directory; write \"" + EscapedName(mask) + kSeparator +
            "*\" to list its files";
  }
  return line + "\n";
}

std::string WildcardDirectoryLine(std::string_view dir) {
  return "tramlune: wildcards stand only in the last component of the mask, "
         "not in its directory \"" + EscapedName(dir) +
         "\": name the directory, as in \"roms" + kSeparator + "*.v64\"\n";
}

std::string UnreadDirectoryLine(std::string_view dir,
                                std::string_view reason) {
  return "tramlune: cannot read the directory \"" +
         (dir.empty() ? std::string(".") : EscapedName(dir)) + "\": " +
         std::string(reason) + "\n";
}

std::string IgnoredArgumentsLine(size_t count) {
  std::string line = "tramlune: ignored " + std::to_string(count) +
                     (count == 1 ? " argument" : " arguments") +
                     " after the suffix";
#ifndef _WIN32
  // The usual cause: an unquoted mask that the shell made into many names.
  line += ": quote the mask, or the shell expands it";
#endif
  return line + "\n";
}

std::string OptionAfterMaskLine(std::string_view arg) {
  return "tramlune: \"" + EscapedName(arg) +
         "\" after the mask is taken as command text, not as an option: "
         "options go before the mask\n";
}

size_t FormatWriteFailureLine(char* out, size_t size, const char* reason) {
  int n = std::snprintf(out, size, "tramlune: cannot write the script: %s\n",
                        reason);
  if (n < 0)
    return 0;
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

std::string RenamedGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view taken, std::string_view title) {
  return "tramlune: the group of \"" + EscapedName(dir) + EscapedName(parent) +
         "\" fills {title} with \"" + EscapedName(title) + "\": \"" +
         EscapedName(taken) + "\" names the archive of another group\n";
}

std::string LeftOutGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view argument, bool listed) {
  std::string line = "tramlune: left out the group of \"" +
                     EscapedName(dir) + EscapedName(parent) + "\": ";
  line += listed ? "its argument would overwrite a listed file: \""
                 : "a batch script cannot hold its argument: \"";
  return line + EscapedName(argument) + "\"\n";
}

std::string CannotReadDatLine(std::string_view path, std::string_view reason) {
  return "tramlune: cannot read the DAT \"" + EscapedName(path) + "\": " +
         std::string(reason) + "\n";
}

std::string NotInDatLine(size_t count, std::string_view first,
                         std::string_view second, bool singles) {
  std::string line = "tramlune: " + std::to_string(count) +
                     (count == 1 ? " file is" : " files are") +
                     " not in the DAT" +
                     (singles ? (count == 1 ? ", on a line of its own: \""
                                            : ", each on a line of its own: \"")
                              : ", in no line: \"") +
                     EscapedName(first) + "\"";
  if (count == 2)
    line += " and \"" + EscapedName(second) + "\"";
  else if (count > 2)
    line += ", \"" + EscapedName(second) + "\" and others";
  return line + "\n";
}

std::string NoneInDatLine(std::string_view path, size_t count) {
  return "tramlune: the DAT \"" + EscapedName(path) + "\" holds none of the " +
         std::to_string(count) + (count == 1 ? " listed file" : " listed files") +
         ": is it the DAT of this set?\n";
}
