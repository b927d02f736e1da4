// The DAT of a set of names, for the benchmarks of --dat.
#ifndef TRAMLUNE_BENCH_SET_DAT_H_
#define TRAMLUNE_BENCH_SET_DAT_H_

#include <string>
#include <vector>

/// A Logiqx XML DAT with one game per name, named after the name's base
/// and holding it as its one rom; the first game of each No-Intro title is
/// the parent (cloneof) of the later ones.
std::string MakeSetDat(const std::vector<std::string>& names);

#endif  // TRAMLUNE_BENCH_SET_DAT_H_
