#pragma once

// Storing the analyses in the data set: sensitivity variants, full uncertainty runs and
// uncertainty summaries, each set seven tables (one per output variable) with one column per age.

#include <string_view>

#include "core/analysis/sensitivity.h"
#include "core/analysis/uncertainty.h"

namespace kavrel {

class TDataKavrel;
class UserDialogs;

enum class AnalysisSet { kSense, kUncert, kUncertSum };

// Before storing: asks before replacing the disease's rows of the sex (OK lets the store replace
// them, Cancel stores nothing), or creates the set's tables on first use. False when nothing may
// be stored.
bool PrepareSet(AnalysisSet set, TDataKavrel& data, UserDialogs& dialogs, int inputId, int sex,
                int maxAge);

// Each store is one transaction, after PrepareSet: the disease's old rows of the sex are deleted
// and the new ones inserted together.
void StoreVariants(TDataKavrel& data, const Tdisease& disease, int sex, const Tsenssum& variants,
                   int maxAge);
void StoreRuns(TDataKavrel& data, const Tdisease& disease, int sex,
               const std::vector<Tresultin>& runs, int maxAge);
void StoreSummary(TDataKavrel& data, const Tdisease& disease, int sex,
                  const Tuncertsummary& summary, int maxAge);

}  // namespace kavrel
