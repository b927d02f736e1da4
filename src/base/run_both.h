// Two tasks that may run at once.
#ifndef TRAMLUNE_BASE_RUN_BOTH_H_
#define TRAMLUNE_BASE_RUN_BOTH_H_

#include <functional>

/// A task: it touches only what no task that may run beside it touches.
using Task = std::function<void()>;

/// Runs first and second and returns when both are done; where the
/// system allows, at once on two threads.
using RunBoth = std::function<void(const Task& first, const Task& second)>;

/// Runs first, then second.
inline void RunInTurn(const Task& first, const Task& second) {
  first();
  second();
}

#endif  // TRAMLUNE_BASE_RUN_BOTH_H_
