// Memory that runs out outside operator new.
#ifndef TRAMLUNE_BASE_OUT_OF_MEMORY_H_
#define TRAMLUNE_BASE_OUT_OF_MEMORY_H_

#include <new>

/// Acts as operator new does when it finds no memory: calls the installed
/// new-handler (the program's stop), or throws std::bad_alloc without one.
[[noreturn]] inline void OutOfMemory() {
  if (std::new_handler handler = std::get_new_handler())
    handler();
  throw std::bad_alloc();
}

#endif  // TRAMLUNE_BASE_OUT_OF_MEMORY_H_
