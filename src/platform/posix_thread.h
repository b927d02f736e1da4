// Starting a thread of the POSIX build.
#ifndef TRAMLUNE_PLATFORM_POSIX_THREAD_H_
#define TRAMLUNE_PLATFORM_POSIX_THREAD_H_

#include <pthread.h>

#include <cstddef>

/// Starts run(argument) on a new thread with a stack of stack_bytes, into
/// *thread. Returns false, with no thread, where the system gives none.
inline bool StartThread(void* (*run)(void*), void* argument,
                        size_t stack_bytes, pthread_t* thread) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0)
    return false;
  pthread_attr_setstacksize(&attributes, stack_bytes);
  bool started = pthread_create(thread, &attributes, run, argument) == 0;
  pthread_attr_destroy(&attributes);
  return started;
}

#endif  // TRAMLUNE_PLATFORM_POSIX_THREAD_H_
