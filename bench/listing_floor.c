// The least any run that writes a given script can do: read the directory
// (getdents64 into a 1 MiB buffer, each name copied out, as a program that
// keeps the names must) and write the script in 128-byte writes, nothing
// more. scripts/bench_floor.sh pairs it with runs of tramlune.
// usage: listing_floor DIR SCRIPT OUT
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: listing_floor DIR SCRIPT OUT\n");
    return 2;
  }
  int dir = open(argv[1], O_RDONLY | O_DIRECTORY);
  if (dir < 0)
    return 1;
  static char entries[1 << 20];
  size_t capacity = 1 << 20, used = 0, count = 0;
  char* names = malloc(capacity);
  for (;;) {
    long got = syscall(SYS_getdents64, dir, entries, sizeof entries);
    if (got <= 0)
      break;
    for (long at = 0; at < got;) {
      struct dirent64* entry = (struct dirent64*)(entries + at);
      size_t size = strlen(entry->d_name) + 1;
      while (used + size > capacity)
        names = realloc(names, capacity *= 2);
      memcpy(names + used, entry->d_name, size);
      used += size;
      ++count;
      at += entry->d_reclen;
    }
  }
  // The script is read whole first, so that only its writing is timed
  // with the listing.
  int in = open(argv[2], O_RDONLY);
  struct stat st;
  if (in < 0 || fstat(in, &st) != 0)
    return 1;
  char* script = malloc(st.st_size + 1);
  ssize_t size = read(in, script, st.st_size);
  int out = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (size < 0 || out < 0)
    return 1;
  for (ssize_t at = 0; at < size; at += 128)
    if (write(out, script + at, size - at < 128 ? size - at : 128) < 0)
      return 1;
  fprintf(stderr, "%zu entries, %zd script bytes\n", count, size);
  return 0;
}
