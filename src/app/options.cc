#include "app/options.h"

#include <string_view>

#include "matching/no_intro_names.h"

namespace {

// An option that takes a value: "--name VALUE" or "--name=VALUE". Returns
// whether args[i] is that option; then value is set and i stands on the
// last argument read, or error tells what is missing.
bool ValueOption(const std::vector<std::string>& args, size_t& i,
                 std::string_view name, std::string& value,
                 std::string& error) {
  std::string_view arg = args[i];
  if (arg.substr(0, name.size()) != name)
    return false;
  if (arg.size() == name.size()) {
    if (i + 1 == args.size()) {
      error = std::string(name) + " needs a value: write " +
              std::string(name) + " VALUE before the mask";
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg[name.size()] != '=')
    return false;
  value = arg.substr(name.size() + 1);
  return true;
}

Options UsageError(std::string error) {
  Options options;
  options.action = Options::Action::kUsageError;
  options.error = std::move(error);
  return options;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  std::string naming, regions, error;
  bool regions_given = false;
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
    if (arg == "--sh") {
      options.kind = ScriptKind::kShell;
      continue;
    }
    if (ValueOption(args, i, "--naming", naming, error)) {
      if (!error.empty())
        return UsageError(error);
      if (naming == "goodtools") {
        options.naming = Naming::kGoodTools;
      } else if (naming == "no-intro") {
        options.naming = Naming::kNoIntro;
      } else {
        return UsageError("unknown naming \"" + naming +
                          "\": write --naming goodtools or --naming no-intro");
      }
      continue;
    }
    if (ValueOption(args, i, "--regions", regions, error)) {
      if (!error.empty())
        return UsageError(error);
      if (!ParseRegionList(regions, &options.regions))
        return UsageError("--regions takes a list of regions parted by "
                          "commas, none empty: write, for example, "
                          "--regions Europe,USA,World");
      regions_given = true;
      continue;
    }
    break;
  }
  if (regions_given && options.naming != Naming::kNoIntro)
    return UsageError("--regions orders the regions of --naming no-intro: "
                      "write --naming no-intro before it, or leave it out");
  if (options.naming == Naming::kNoIntro && !regions_given)
    ParseRegionList(kDefaultNoIntroRegions, &options.regions);
  if (i < args.size()) {
    options.action = Options::Action::kScript;
    options.mask_index = i;
  }
  return options;
}
