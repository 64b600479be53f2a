// Writes the template files and the example data of an installation:
//   kavrel-make-data <program-dir> [<data-dir>]
// The build runs it into the build tree; `cmake --install` copies the result.

#include <exception>
#include <iostream>

#include "example_data.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: kavrel-make-data <program-dir> [<data-dir>]\n";
    return 2;
  }
  try {
    kavrel::install::BuildTemplates(argv[1]);
    if (argc == 3) kavrel::install::BuildExampleData(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "kavrel-make-data: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
