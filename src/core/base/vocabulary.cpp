#include "core/base/vocabulary.h"

#include <string>

namespace kavrel {

std::string GroupLabel(int lage, int hage, int maxAge) {
  if (hage >= maxAge + 1) return std::to_string(lage) + "+";
  if (hage - lage > 1) return std::to_string(lage) + "-" + std::to_string(hage - 1);
  return std::to_string(lage);
}

}  // namespace kavrel
