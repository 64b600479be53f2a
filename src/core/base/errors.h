#pragma once

// The error types every layer may raise and catch.

#include <stdexcept>
#include <string>

namespace kavrel {

// A floating-point fault found in a numeric routine: a zero divisor or a result that is not a
// finite number. C++ does not trap these, so the routines test for them where a fault would
// otherwise travel on silently as an infinity or NaN.
class ArithmeticError : public std::runtime_error {
 public:
  explicit ArithmeticError(const std::string& what) : std::runtime_error(what) {}
};

// A file operation (a copy, a rename, writing an export or a grid) that failed.
class InOutError : public std::runtime_error {
 public:
  explicit InOutError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace kavrel
