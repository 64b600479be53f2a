#pragma once

// Builds what an installation ships besides the program: the two template files, the local
// collection listing the example data set, and the example data set itself. The example's
// population and diseases are synthetic: smooth hazards put through the model and rounded as
// published figures would be, so that every calculation on them has a consistent answer.

#include <string>
#include <vector>

namespace kavrel::install {

inline constexpr int kExampleHighestAge = 100;

// Writes programDir/Templates/{KavrelInputTemplate,KavrelCollectionTemplate}.mdb.
void BuildTemplates(const std::string& programDir);

// Writes dataDir/KavrelLocal.mdb (with the "Example" row) and dataDir/data/Example.mdb, made from
// the templates in programDir/Templates. Existing files are replaced.
void BuildExampleData(const std::string& programDir, const std::string& dataDir);

// A synthetic study for measuring: `datasets` data set files dir/region-001.mdb, ... of `diseases`
// diseases each, made from the templates in programDir/Templates. Each data set has its own
// mortality level and population size; its diseases are the example's five kinds in turn, each
// with its levels and age slopes varied, with inputs of every kind the example has. The same
// seed gives the same files. Returns the files written; existing ones are replaced.
std::vector<std::string> BuildStudy(const std::string& programDir, const std::string& dir,
                                    int datasets, int diseases, unsigned seed = 1);

}  // namespace kavrel::install
