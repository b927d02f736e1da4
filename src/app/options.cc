#include "app/options.h"

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "/?") {
      options.action = Options::Action::kHelp;
      return options;
    }
    if (arg == "--version") {
      options.action = Options::Action::kVersion;
      return options;
    }
    if (arg != "--sh")
      break;
    options.kind = ScriptKind::kShell;
  }
  if (i < args.size()) {
    options.action = Options::Action::kScript;
    options.mask_index = i;
  }
  return options;
}
