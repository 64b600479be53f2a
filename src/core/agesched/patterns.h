#pragma once

// Standard age patterns of a collection: named shapes of a rate over age, by age group.

#include <string>
#include <string_view>
#include <vector>

#include "core/base/vocabulary.h"

namespace kavrel {

class TDataKavrel;
class UserDialogs;

struct Tpatinputdat {
  int Index = 0;
  int Lage = 0;
  int Hage = 0;  // first age after the group
  double Value = 0.0;
};

inline constexpr std::string_view kNoPatternsMessage = "No age patterns present in database";
inline constexpr std::string_view kPatternNameMissing = "You must give a name to the age pattern";
inline constexpr std::string_view kPatternNameInUse = "This name is already in use";
inline constexpr std::string_view kDeletePatternQuestion = "Delete this pattern?";
inline constexpr std::string_view kCouldNotDeletePattern = "Could not delete selected age pattern";
inline constexpr std::string_view kSelectPatternFirst = "Select an age pattern name first";

// The groups of one pattern, in age order.
std::vector<Tpatinputdat> LoadPattern(TDataKavrel& data, std::string_view name);
// The stored patterns' names.
std::vector<std::string> PatternNames(TDataKavrel& data);

// "&Save item": refused with a message for an empty name or one already listed (an existing
// pattern is never overwritten); values are the shown rates divided by the multiplier. One
// transaction. True when saved.
bool SavePattern(TDataKavrel& data, UserDialogs& dialogs, const std::string& name,
                 const std::vector<Tpatinputdat>& groups, double multiplier);
// "&Delete item" for the selected name (empty: none selected). True when deleted.
bool DeletePattern(TDataKavrel& data, UserDialogs& dialogs, const std::string& name);

}  // namespace kavrel
