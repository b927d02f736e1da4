#include "app/options.h"

#include <string_view>

namespace {

enum class Flag { kSh, kTemplate, kSingles, kHelp, kVersion, kEnd };

// Every option the tool knows, in the order --help lists them.
struct Known {
  std::string_view name;
  Flag flag;
};
constexpr Known kKnown[] = {
    {"--sh", Flag::kSh},           {"--template", Flag::kTemplate},
    {"--singles", Flag::kSingles}, {"--help", Flag::kHelp},
    {"/?", Flag::kHelp},           {"--version", Flag::kVersion},
    {"--", Flag::kEnd},
};

const Known* Find(std::string_view arg) {
  for (const Known& known : kKnown)
    if (known.name == arg)
      return &known;
  return nullptr;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const Known* known = Find(arg);
    if (!known) {
      // Before the new options, such an argument has always been the mask.
      bool strict = options.use_template || options.singles;
      if (strict && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
        options.action = Options::Action::kUsageError;
        options.error = "unknown option \"" + arg +
                        "\": the options are --sh, --template, --singles, "
                        "--help and --version; write -- before a mask that "
                        "begins with -";
        return options;
      }
      break;
    }
    if (known->flag == Flag::kEnd) {
      ++i;
      break;
    }
    switch (known->flag) {
      case Flag::kHelp:
        options.action = Options::Action::kHelp;
        return options;
      case Flag::kVersion:
        options.action = Options::Action::kVersion;
        return options;
      case Flag::kSh:
        options.kind = ScriptKind::kShell;
        break;
      case Flag::kTemplate:
        options.use_template = true;
        break;
      case Flag::kSingles:
        options.singles = true;
        break;
      case Flag::kEnd:
        break;
    }
  }
  if (i >= args.size())
    return options;
  options.action = Options::Action::kScript;
  options.mask_index = i;
  if (options.use_template) {
    std::string_view prefix, suffix;
    if (i + 1 < args.size())
      prefix = args[i + 1];
    if (i + 2 < args.size())
      suffix = args[i + 2];
    options.error = ParseLineTemplate(prefix, suffix, options.kind, options.line);
    if (!options.error.empty())
      options.action = Options::Action::kUsageError;
  }
  return options;
}
