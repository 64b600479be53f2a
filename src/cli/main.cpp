// kavrel-cli: the batch and scripting face of Kavrel. Results go to standard output as CSV, the
// messages log to standard error. Exit codes: 0 success, 1 an error, 2 bad usage or a question
// the tool cannot answer by itself.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include <CLI/CLI.hpp>

#include "cli/cli_dialogs.h"
#include "cli/command.h"

int main(int argc, char** argv) {
  CLI::App app{"Kavrel command-line tool: descriptive epidemiology of one disease at a time"};
  app.require_subcommand(1);
  kavrel::cli::Commands commands(app);
  for (auto registration :
       {kavrel::cli::RegisterDemo, kavrel::cli::RegisterStoreCommands,
        kavrel::cli::RegisterCalculate, kavrel::cli::RegisterAdjust, kavrel::cli::RegisterTable,
        kavrel::cli::RegisterAnalysis, kavrel::cli::RegisterCopy, kavrel::cli::RegisterGraph,
        kavrel::cli::RegisterNewDataset, kavrel::cli::RegisterImport, kavrel::cli::RegisterBatch,
        kavrel::cli::RegisterResults}) {
    registration(commands);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  try {
    const int code = commands.RunParsed(std::cout, std::cerr);
    // What the command printed must have reached its destination (a full disk, a closed pipe):
    // otherwise a script would take an empty or cut-off file for a result.
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
      std::cerr << "Error: the output could not be written (standard output: "
                << std::strerror(errno) << ")\n";
      return 1;
    }
    return code;
  } catch (const std::bad_alloc&) {
    std::cerr << "Error: there is not enough memory for this command; nothing was stored.\n";
    return 1;
  } catch (const kavrel::cli::UnansweredQuestion& e) {
    std::cerr << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "Error: " << e.what() << '\n';
    return 1;
  }
}
