// Writes the template files and the example data of an installation:
//   kavrel-make-data <program-dir> [<data-dir>]
// The build runs it into the build tree; `cmake --install` copies the result.
// Or a synthetic study for measuring and trying out the batch commands:
//   kavrel-make-data --study <dir> --datasets <D> --diseases <K> [--seed <S>]

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "example_data.h"

namespace {

constexpr const char* kUsage =
    "usage: kavrel-make-data <program-dir> [<data-dir>]\n"
    "       kavrel-make-data --study <dir> --datasets <D> --diseases <K> [--seed <S>]\n";

// A whole number from 1 to 100000, or nothing.
std::optional<int> Count(std::string_view text) {
  if (text.empty() || text.size() > 6) return {};
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return {};
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 100000) return {};
  return value;
}

int MakeStudy(int argc, char** argv) {
  std::string dir;
  std::optional<int> datasets;
  std::optional<int> diseases;
  std::optional<int> seed = 1;
  for (int k = 1; k + 1 < argc; k += 2) {
    const std::string_view option = argv[k];
    const std::string_view value = argv[k + 1];
    if (option == "--study") {
      dir = value;
    } else if (option == "--datasets") {
      datasets = Count(value);
    } else if (option == "--diseases") {
      diseases = Count(value);
    } else if (option == "--seed") {
      seed = Count(value);
    } else {
      std::cerr << "kavrel-make-data: unknown option " << option << '\n' << kUsage;
      return 2;
    }
  }
  if (argc % 2 == 0 || dir.empty() || !datasets || !diseases || !seed) {
    std::cerr << kUsage << "D, K and S are whole numbers from 1 to 100000.\n";
    return 2;
  }
  namespace fs = std::filesystem;
  // The data sets are copies of the data set template, written for the purpose beside them.
  const fs::path templates = fs::path(dir) / ".templates";
  kavrel::install::BuildTemplates(templates.string());
  const auto files = kavrel::install::BuildStudy(templates.string(), dir, *datasets, *diseases,
                                                 static_cast<unsigned>(*seed));
  fs::remove_all(templates);
  std::cout << "Wrote " << files.size() << " data sets of " << *diseases << " diseases to " << dir
            << '\n';
  return 0;
}

}  // namespace

static int MakeData(int argc, char** argv) {
  try {
    // Help, or any other option, makes nothing: a folder named "--help" is no one's wish.
    for (int k = 1; k < argc; ++k) {
      const std::string_view argument(argv[k]);
      if (argument == "--help" || argument == "-h") {
        std::cout << kUsage;
        return 0;
      }
    }
    if (argc > 1 && std::string_view(argv[1]) == "--study") return MakeStudy(argc, argv);
    if (argc > 1 && std::string_view(argv[1]).starts_with("-")) {
      std::cerr << "kavrel-make-data: unknown option " << argv[1] << '\n' << kUsage;
      return 2;
    }
    if (argc < 2 || argc > 3) {
      std::cerr << kUsage;
      return 2;
    }
    kavrel::install::BuildTemplates(argv[1]);
    if (argc == 3) kavrel::install::BuildExampleData(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "kavrel-make-data: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  const int code = MakeData(argc, argv);
  // What was printed must have reached its destination (a full disk, a closed pipe).
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::cerr << "kavrel-make-data: the output could not be written\n";
    return 1;
  }
  return code;
}
