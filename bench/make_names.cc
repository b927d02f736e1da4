// make_names SHAPE COUNT [DIR [DAT]]: writes COUNT names of SHAPE (game,
// video, photo, forty or no-intro), one per line, or creates them as empty
// files in DIR, and writes their DAT (one game per name) to the file DAT.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "name_shapes.h"
#include "set_dat.h"

int main(int argc, char** argv) {
  NameShape shape;
  if (argc < 3 || argc > 5 || !ParseNameShape(argv[1], &shape)) {
    std::fprintf(stderr, "usage: make_names game|video|photo|forty|no-intro "
                         "COUNT [DIR [DAT]]\n");
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
  if (argc == 5) {
    std::ofstream dat(argv[4], std::ios::binary);
    dat << MakeSetDat(names);
    if (!dat.flush()) {
      std::perror(argv[4]);
      return 1;
    }
  }
  return 0;
}
