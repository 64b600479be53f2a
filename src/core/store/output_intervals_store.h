#pragma once

// The intervals of a result (see OutputIntervals), kept in a table of their own beside the result
// tables: made when the first result with intervals is saved, so that a file without any opens and
// is written as before, and a program that does not know the table leaves it alone. A row names
// its disease, sex, variable and age.

#include "core/base/output_intervals.h"

namespace kavrel {

class Database;

inline constexpr char kOutputIntervalsTable[] = "OutputIntervals";

// The stored intervals of a disease's result for one sex; not Present when there are none.
OutputIntervals ReadOutputIntervals(Database& dataset, long long inputId, int sex, int maxAge);
// Replaces the stored intervals of a disease's result for one sex (none are kept when intervals
// are not Present); the table is made when the first are written.
void WriteOutputIntervals(Database& dataset, long long inputId, int sex,
                          const OutputIntervals& intervals, int maxAge);
// Removes every interval of a disease (when it or its results are deleted).
void DeleteOutputIntervals(Database& dataset, long long inputId);

}  // namespace kavrel
