#pragma once

// Builds what an installation ships besides the program: the two template files, the local
// collection listing the example data set, and the example data set itself. The example's
// population and diseases are synthetic: smooth hazards put through the model and rounded as
// published figures would be, so that every calculation on them has a consistent answer.

#include <string>

namespace kavrel::install {

inline constexpr int kExampleHighestAge = 100;

// Writes programDir/Templates/{KavrelInputTemplate,KavrelCollectionTemplate}.mdb.
void BuildTemplates(const std::string& programDir);

// Writes dataDir/KavrelLocal.mdb (with the "Example" row) and dataDir/data/Example.mdb, made from
// the templates in programDir/Templates. Existing files are replaced.
void BuildExampleData(const std::string& programDir, const std::string& dataDir);

}  // namespace kavrel::install
