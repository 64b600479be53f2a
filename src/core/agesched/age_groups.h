#pragma once

// Age groups: the group and list types, the shared list every editing window hands to the editor,
// the saved schedules of a collection, and the editor "Define age groups" as a model.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

class TDataKavrel;
class UserDialogs;

struct Tagegroup {
  // A new group runs from its low age to the open top (maxAge + 1).
  Tagegroup(int lage, int maxAge);
  Tagegroup(int lage, int hage, int maxAge);
  void SetHage(int hage, int maxAge);
  void Relabel(int maxAge);

  std::int32_t Lage = 0;
  std::int32_t Hage = 0;  // first age after the group
  std::string Label;
};

struct Tagegrouplist {
  std::int32_t Id = 0;  // the schedule number in StandardAgeSchedules
  std::string Name;
  std::vector<std::unique_ptr<Tagegroup>> Groups;

  void Clear() { Groups.clear(); }
  Tagegrouplist Copy() const;
  std::vector<std::string> Labels() const;
};

// The list every editing window hands to the editor; it starts named "nieuw".
inline Tagegrouplist NewCurrentAgeGroups() {
  Tagegrouplist list;
  list.Name = "nieuw";
  return list;
}

// Reads saved schedule `number` into list: groups in order, a high age above maxAge + 1 cut to it,
// stopping after the first group that reaches it. Engine errors propagate to the caller.
void FillFromSchedule(Tagegrouplist& list, TDataKavrel& data, int number, int maxAge);

struct ScheduleChoice {
  int Number = 0;
  std::string Name;
};
// The saved schedules offered in "Standard age group"; nothing when the user chooses none.
std::optional<ScheduleChoice> ChooseAgeSchedule(TDataKavrel& data, UserDialogs& dialogs);

// The editor window "Define age groups" on CurrentAgeGroups.
class AgeGroupEditor {
 public:
  static constexpr std::string_view kCaption = "Define age groups";
  static constexpr std::string_view kSelectFirst = "Select an age group first";
  static constexpr std::string_view kTooWide = "Age group width to large to insert here";
  static constexpr std::string_view kLastGroup = "The highest age group cannot be deleted";
  static constexpr std::string_view kDeleteQuestion =
      "Are you sure you want to delete this age group schedule?";

  AgeGroupEditor(Tagegrouplist& list, TDataKavrel& data, UserDialogs& dialogs, int maxAge)
      : list_(list), data_(data), dialogs_(dialogs), maxAge_(maxAge) {}

  // Shown when the window is activated: the list's name and labels.
  std::string ShownName = "None";
  std::string NameEdit;  // NamEdit
  int Width = 1;         // WidthSpin, 1 ... 95
  int Selected = -1;     // the selected group, -1 for none
  bool Editing() const { return editing_; }
  // Enabled states: the editing box while editing; Read, Edit, New, the saved Delete and Close
  // otherwise.
  bool EditingControlsEnabled() const { return editing_; }
  bool BrowsingControlsEnabled() const { return !editing_; }
  std::vector<std::string> Labels() const { return list_.Labels(); }

  void Activate();
  void New();
  void Edit();
  void Insert();
  void DeleteGroup();
  void FillSchedule();
  void ClearAll();
  // Saves the list as a new schedule, in one transaction; editing continues.
  void SaveToDisk();
  void Done();
  void Cancel();
  void Read();
  void DeleteSaved();
  // Groups changed while editing and not confirmed with "Done".
  bool HasUnsavedChanges() const;
  // Closing while editing: with changes, "Save changes to the age groups NAME?" with Yes (Done),
  // No (Cancel) and Cancel (editing goes on); without, the editing ends as Cancel ends it. True:
  // may close.
  bool MayClose();

 private:
  void StartEditing();

  Tagegrouplist& list_;
  TDataKavrel& data_;
  UserDialogs& dialogs_;
  int maxAge_;
  bool editing_ = false;
  std::optional<Tagegrouplist> backup_;
};

}  // namespace kavrel
