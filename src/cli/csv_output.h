#pragma once

// How the command-line tool writes CSV on standard output: the core's fields and numbers.

#include "core/base/csv_text.h"

namespace kavrel::cli {

using kavrel::CsvField;
using kavrel::CsvNumber;

}  // namespace kavrel::cli
