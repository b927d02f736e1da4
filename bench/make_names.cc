// make_names SHAPE COUNT [DIR]: writes COUNT names of SHAPE (game, video,
// photo or forty), one per line, or creates them as empty files in DIR.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "name_shapes.h"

int main(int argc, char** argv) {
  NameShape shape;
  if ((argc != 3 && argc != 4) || !ParseNameShape(argv[1], &shape)) {
    std::fprintf(stderr, "usage: make_names game|video|photo|forty COUNT [DIR]\n");
    return 2;
  }
  size_t count = std::strtoull(argv[2], nullptr, 10);
  std::vector<std::string> names = MakeNames(shape, count);
  if (argc == 3) {
    for (const std::string& name : names)
      std::printf("%s\n", name.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  int dir = open(argv[3], O_RDONLY | O_DIRECTORY);
  if (dir < 0) {
    std::perror(argv[3]);
    return 1;
  }
  for (const std::string& name : names) {
    int fd = openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
      std::perror(name.c_str());
      return 1;
    }
    close(fd);
  }
  close(dir);
  return 0;
}
