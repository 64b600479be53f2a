// kavrel-cli: the batch and scripting face of Kavrel. Results go to standard output as CSV, the
// messages log to standard error. Exit codes: 0 success, 1 an error, 2 bad usage.

#include <iostream>

#include <CLI/CLI.hpp>

#include "adjust_command.h"
#include "analysis_command.h"
#include "calculate_command.h"
#include "cli_dialogs.h"
#include "copy_command.h"
#include "demo_command.h"
#include "store/database.h"
#include "store_commands.h"
#include "table_command.h"

int main(int argc, char** argv) {
  CLI::App app{"Kavrel command-line tool: descriptive epidemiology of one disease at a time"};
  app.require_subcommand(1);

  kavrel::cli::DemoOptions demo;
  std::string sex = "Males";
  auto* demoCommand = app.add_subcommand(
      "demo", "Run the model on a synthetic demonstration disease and print all seven variables");
  demoCommand->add_option("--max-age", demo.maxAge, "Highest age")->check(CLI::Range(0, 110));
  demoCommand->add_option("--sex", sex, "Males or Females")
      ->check(CLI::IsMember({"Males", "Females"}, CLI::ignore_case));
  demoCommand->add_option("--every", demo.step, "Print every n-th age")->check(CLI::Range(1, 110));
  demoCommand->add_flag("--trend", demo.trend,
                        "Let incidence have risen 2 % a year over the last 20 years");
  demoCommand->add_flag("--table", demo.table, "Aligned columns for reading instead of CSV");

  kavrel::cli::StoreOptions store;
  auto* datasetsCommand = app.add_subcommand(
      "datasets", "List the data sets of a collection (the current one unless --collection)");
  auto* diseasesCommand = app.add_subcommand(
      "diseases", "List the diseases of a data set with the inputs stored for each sex");
  for (auto* command : {datasetsCommand, diseasesCommand}) {
    command->add_option("--collection", store.collection, "Collection database file");
  }
  diseasesCommand->add_option("--dataset", store.dataset, "Data set name")->capture_default_str();

  kavrel::cli::CalculateOptions calculate;
  auto* listCommand =
      app.add_subcommand("list", "List the diseases of a data set file with their flags (CSV)");
  listCommand->add_option("DATASET", calculate.dataset, "Data set file")->required();
  auto* calculateCommand = app.add_subcommand(
      "calculate", "Calculate one disease for one sex and print its outputs by single year of age");
  calculateCommand->add_option("DATASET", calculate.dataset, "Data set file")->required();
  calculateCommand->add_option("--disease", calculate.disease, "Disease name")->required();
  calculateCommand->add_option("--sex", calculate.sex, "males or females")
      ->check(CLI::IsMember({"males", "females"}, CLI::ignore_case))
      ->transform(CLI::IsMember({"males", "females"}, CLI::ignore_case));
  calculateCommand->add_flag("--adjusted", calculate.adjusted,
                             "Start from the stored adjusted (single-year) inputs");
  calculateCommand->add_flag("--trends", calculate.trends, "Apply the stored time trends");
  calculateCommand->add_option("--option", calculate.options,
                               "A calculation option, COLUMN=VALUE (for example Agegroup=5)");
  calculateCommand->add_flag("--save", calculate.save,
                             "Save the result (replacing a stored one) and the options");
  for (auto* command : {listCommand, calculateCommand}) {
    command->add_option("--collection", calculate.collection,
                        "Collection that takes over an older data set's patterns and schedules");
  }

  kavrel::cli::AdjustOptions adjust;
  auto* adjustCommand = app.add_subcommand(
      "adjust", "Reshape one input variable over age and print Age,Original,Current,Adjusted");
  adjustCommand->add_option("DATASET", adjust.dataset, "Data set file")->required();
  adjustCommand->add_option("--disease", adjust.disease, "Disease name")->required();
  adjustCommand->add_option("--sex", adjust.sex, "males or females")
      ->check(CLI::IsMember({"males", "females"}, CLI::ignore_case))
      ->transform(CLI::IsMember({"males", "females"}, CLI::ignore_case));
  adjustCommand->add_option("--variable", adjust.variable, "Input variable, e.g. prevalence")
      ->required();
  adjustCommand
      ->add_option("--method", adjust.method,
                   "linear, polynomial, spline, moving-average, curve-linear, curve-quadratic, "
                   "curve-sigmoid, curve-exponent, curve-polynomial or pattern:NAME")
      ->required();
  adjustCommand->add_option("--apply-to", adjust.applyTo, "original or current")
      ->check(CLI::IsMember({"original", "current"}));
  adjustCommand->add_option("--ages", adjust.ages, "Age range LOW-HIGH");
  adjustCommand->add_option("--period", adjust.period, "Moving average period")
      ->check(CLI::Range(3, 30));
  adjustCommand->add_option("--order", adjust.order, "Polynomial order")->check(CLI::Range(1, 9));
  adjustCommand->add_flag("--weight-population", adjust.weightPopulation,
                          "Weight the fit by population numbers");
  adjustCommand->add_flag("--mean-values", adjust.meanValues, "Fit the sum over the range only");
  adjustCommand->add_flag("--no-low", adjust.noLow, "Interpolate without the low end point");
  adjustCommand->add_flag("--no-high", adjust.noHigh, "Interpolate without the high end point");
  adjustCommand->add_option("--low-age", adjust.lowAge, "Age of the low end point")
      ->capture_default_str();
  adjustCommand
      ->add_option("--high-age", adjust.highAge,
                   "Age of the high end point (beyond the last group's midpoint)")
      ->capture_default_str();
  adjustCommand->add_option("--low-value", adjust.lowValue, "Value at the low end point")
      ->capture_default_str();
  adjustCommand->add_option("--high-value", adjust.highValue, "Value at the high end point")
      ->capture_default_str();
  adjustCommand->add_flag("--save", adjust.save,
                          "Apply the result (negatives become 0) and store the adjusted inputs");
  adjustCommand->add_option("--collection", adjust.collection,
                            "Collection with the standard age patterns");

  kavrel::cli::TableOptions table;
  auto* tableCommand = app.add_subcommand(
      "table", "The stored results of one disease and sex as a result table (CSV)");
  tableCommand->add_option("DATASET", table.dataset, "Data set file")->required();
  tableCommand->add_option("--disease", table.disease, "Disease name")->required();
  tableCommand->add_option("--sex", table.sex, "males or females")
      ->check(CLI::IsMember({"males", "females"}, CLI::ignore_case))
      ->transform(CLI::IsMember({"males", "females"}, CLI::ignore_case));
  tableCommand->add_flag("--numbers", table.numbers, "Numbers instead of rates");
  tableCommand->add_option("--rates-per", table.ratesPer, "1, 100, 1000, 10000, 100000 or 1000000");
  tableCommand->add_option("--decimals", table.decimals, "Decimals, 0 to 10");
  tableCommand->add_option("--schedule", table.schedule, "Age group schedule number (collection)");
  tableCommand->add_option("--input", table.input, "adjusted or original input columns")
      ->check(CLI::IsMember({"adjusted", "original"}));
  tableCommand->add_option("--collection", table.collection, "Collection file");

  kavrel::cli::ExportOptions exportOptions;
  auto* exportCommand =
      app.add_subcommand("export", "Export the results of a data set to a file (overwritten)");
  exportCommand->add_option("DATASET", exportOptions.dataset, "Data set file")->required();
  exportCommand->add_option("--format", exportOptions.format, "csv, xls or prevent")
      ->required()
      ->check(CLI::IsMember({"csv", "xls", "prevent"}));
  exportCommand->add_option("--out", exportOptions.out, "File to write")->required();
  exportCommand->add_option("--diseases", exportOptions.diseases, "all, or NAME[,NAME...]");
  exportCommand->add_option("--numbers", exportOptions.numbers, "rates, numbers or both")
      ->check(CLI::IsMember({"rates", "numbers", "both"}));
  exportCommand->add_option("--rates-per", exportOptions.ratesPer,
                            "1, 100, 1000, 10000, 100000 or 1000000");
  exportCommand->add_option("--decimals", exportOptions.decimals, "Decimals, 0 to 10");
  exportCommand->add_option("--collection", exportOptions.collection, "Collection file");

  kavrel::cli::AnalysisOptions analysis;
  auto* uncertaintyCommand = app.add_subcommand(
      "uncertainty", "Monte Carlo uncertainty analysis of one disease and sex (CSV summary)");
  auto* sensitivityCommand = app.add_subcommand(
      "sensitivity", "Sensitivity analysis: each input scaled by steps (CSV variants)");
  for (auto* command : {uncertaintyCommand, sensitivityCommand}) {
    command->add_option("DATASET", analysis.dataset, "Data set file")->required();
    command->add_option("--disease", analysis.disease, "Disease name")->required();
    command->add_option("--sex", analysis.sex, "males or females")
        ->check(CLI::IsMember({"males", "females"}, CLI::ignore_case))
        ->transform(CLI::IsMember({"males", "females"}, CLI::ignore_case));
    command->add_option("--variables", analysis.variables,
                        "Input variables to vary, comma-separated (default: all adjusted)");
    command->add_option("--threads", analysis.threads, "Worker threads (default: every core)")
        ->check(CLI::Range(0, 256));
    command->add_option("--collection", analysis.collection, "Collection file");
  }
  uncertaintyCommand->add_option("--iterations", analysis.iterations, "Number of iterations")
      ->required();
  uncertaintyCommand->add_option("--distribution", analysis.distributions,
                                 "VARIABLE=normal|uniform|triangular|poisson|binomial");
  uncertaintyCommand->add_option("--coefficient", analysis.coefficient,
                                 "Default variation coefficient (0.1)");
  uncertaintyCommand->add_option("--intervals", analysis.intervals,
                                 "Interval levels in percent, e.g. 50,90,95");
  uncertaintyCommand->add_option("--generator", analysis.generator, "Random generator 0 to 6");
  uncertaintyCommand->add_option("--seed", analysis.seed, "Runtime seed value (default: clock)");
  uncertaintyCommand->add_option("--save", analysis.saveKind, "Store the summary or full runs")
      ->check(CLI::IsMember({"summary", "full"}));
  sensitivityCommand->add_option("--steps", analysis.steps, "Number of steps each way (3)");
  sensitivityCommand->add_option("--step-percent", analysis.stepPercent, "Step in percent (5)");
  sensitivityCommand->add_flag("--save", analysis.save, "Store the variants");

  int randomGenerator = 5;
  long long randomSeed = 0;
  int randomCount = 10;
  auto* randomCommand =
      app.add_subcommand("random", "The first numbers of a random number generator");
  randomCommand->add_option("--generator", randomGenerator, "0 to 6")->check(CLI::Range(0, 6));
  randomCommand->add_option("--seed", randomSeed, "Runtime seed value")->required();
  randomCommand->add_option("--count", randomCount, "How many")->check(CLI::Range(0, 100000000));

  kavrel::cli::CopyOptions copy;
  auto* copyCommand = app.add_subcommand(
      "copy", "Copy a disease with everything stored for it into other data sets");
  copyCommand->add_option("DATASET", copy.dataset, "Data set file to copy from")->required();
  copyCommand->add_option("--disease", copy.disease, "Disease name")->required();
  copyCommand->add_option("--to", copy.destinations, "Destination data set file (repeatable)")
      ->required();
  copyCommand->add_option("--name", copy.name, "Name in the destinations (default: the same)");
  copyCommand->add_option("--collection", copy.collection,
                          "Collection whose data sets give the destinations' highest ages");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }

  if (demoCommand->parsed()) {
    demo.sex = CLI::detail::to_lower(sex) == "females" ? 1 : 0;
    try {
      return kavrel::cli::RunDemo(demo, std::cout, std::cerr);
    } catch (const std::exception& e) {
      std::cerr << e.what() << '\n';
      return 1;
    }
  }
  try {
    if (datasetsCommand->parsed()) return kavrel::cli::RunDatasets(store, std::cout, std::cerr);
    if (diseasesCommand->parsed()) return kavrel::cli::RunDiseases(store, std::cout, std::cerr);
    if (listCommand->parsed()) return kavrel::cli::RunList(calculate, std::cout, std::cerr);
    if (adjustCommand->parsed()) return kavrel::cli::RunAdjust(adjust, std::cout, std::cerr);
    if (tableCommand->parsed()) return kavrel::cli::RunTable(table, std::cout, std::cerr);
    if (uncertaintyCommand->parsed()) {
      return kavrel::cli::RunUncertainty(analysis, std::cout, std::cerr);
    }
    if (sensitivityCommand->parsed()) {
      return kavrel::cli::RunSensitivity(analysis, std::cout, std::cerr);
    }
    if (copyCommand->parsed()) return kavrel::cli::RunCopy(copy, std::cout, std::cerr);
    if (randomCommand->parsed()) {
      return kavrel::cli::RunRandom(randomGenerator, randomSeed, randomCount, std::cout, std::cerr);
    }
    if (exportCommand->parsed()) {
      return kavrel::cli::RunExportCommand(exportOptions, std::cout, std::cerr);
    }
    if (calculateCommand->parsed()) {
      return kavrel::cli::RunCalculate(calculate, std::cout, std::cerr);
    }
  } catch (const kavrel::cli::UnansweredQuestion& e) {
    std::cerr << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "Error: " << e.what() << '\n';
    return 1;
  }
  return 2;
}
