#pragma once

// The precision of input age groups (a count and its denominator, or a 95 % interval), kept in a
// table of its own beside the input tables: made when the first precision is saved, so that a file
// without any opens and is written as before, and a program that does not know the table leaves it
// alone. A row names its disease, variable, sex and age group.

#include <vector>

#include "core/base/input_precision.h"

namespace kavrel {

class Database;

inline constexpr char kInputPrecisionTable[] = "InputPrecision";

struct PrecisionRow {
  int Lage = 0;
  int Hage = 0;
  InputPrecision Precision;
};

// The stored precision of one input (disease, variable, sex); nothing when the table is absent.
std::vector<PrecisionRow> ReadInputPrecision(Database& dataset, long long inputId, int variable,
                                             int sex);
// Replaces the stored precision of one input by the known ones among rows; the table is made
// when a first one is written.
void WriteInputPrecision(Database& dataset, long long inputId, int variable, int sex,
                         const std::vector<PrecisionRow>& rows);
// Removes every precision of a disease (when it is deleted).
void DeleteInputPrecision(Database& dataset, long long inputId);

}  // namespace kavrel
