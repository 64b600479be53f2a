#include "core/agesched/age_groups.h"

#include <algorithm>

#include "core/base/user_dialogs.h"
#include "core/base/vocabulary.h"
#include "core/store/data_kavrel.h"
#include "core/store/database.h"

namespace kavrel {

Tagegroup::Tagegroup(int lage, int maxAge) : Tagegroup(lage, maxAge + 1, maxAge) {}

Tagegroup::Tagegroup(int lage, int hage, int maxAge) : Lage(lage), Hage(hage) { Relabel(maxAge); }

void Tagegroup::SetHage(int hage, int maxAge) {
  Hage = hage;
  Relabel(maxAge);
}

void Tagegroup::Relabel(int maxAge) { Label = GroupLabel(Lage, Hage, maxAge); }

Tagegrouplist Tagegrouplist::Copy() const {
  Tagegrouplist copy;
  copy.Id = Id;
  copy.Name = Name;
  for (const auto& g : Groups) copy.Groups.push_back(std::make_unique<Tagegroup>(*g));
  return copy;
}

std::vector<std::string> Tagegrouplist::Labels() const {
  std::vector<std::string> labels;
  for (const auto& g : Groups) labels.push_back(g->Label);
  return labels;
}

void FillFromSchedule(Tagegrouplist& list, TDataKavrel& data, int number, int maxAge) {
  list.Clear();
  QueryResult& rows = data.QueryCollection(
      "select Lage, Hage from StandardAgeSchedules where inputid=" + std::to_string(number) +
      " order by lage");
  // A schedule covers the ages from 0 without gaps: every group starts where the one before it
  // ended. A broken one (edited by hand or by another program) is refused rather than giving
  // tables with impossible groups and a wrong "All ages".
  int expected = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const int lage = static_cast<int>(rows.AsInteger(0));
    const int hage = std::min(static_cast<int>(rows.AsInteger(1)), maxAge + 1);
    if (lage != expected || hage <= lage) {
      list.Clear();
      throw DatabaseError("The age group schedule " + std::to_string(number) +
                          " is broken at the group " + std::to_string(lage) + " up to " +
                          std::to_string(hage) +
                          ": its groups must run from age 0 without gaps, "
                          "each ending after it starts.");
    }
    list.Groups.push_back(std::make_unique<Tagegroup>(lage, hage, maxAge));
    expected = hage;
    if (hage >= maxAge + 1) break;
  }
}

std::optional<ScheduleChoice> ChooseAgeSchedule(TDataKavrel& data, UserDialogs& dialogs) {
  QueryResult& rows =
      data.QueryCollection("select distinct inputid, name from StandardAgeSchedules");
  std::vector<ScheduleChoice> choices;
  std::vector<std::string> names;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    choices.push_back({static_cast<int>(rows.AsInteger(0)), rows.AsText(1)});
    names.push_back(choices.back().Name);
  }
  const int chosen = dialogs.ChooseFromList("Standard age group", names);
  if (chosen < 0 || chosen >= static_cast<int>(choices.size())) return std::nullopt;
  return choices[static_cast<std::size_t>(chosen)];
}

void AgeGroupEditor::Activate() { ShownName = list_.Name.empty() ? ShownName : list_.Name; }

void AgeGroupEditor::StartEditing() {
  backup_ = list_.Copy();
  editing_ = true;
}

void AgeGroupEditor::New() {
  StartEditing();
  list_.Clear();
  list_.Groups.push_back(std::make_unique<Tagegroup>(0, maxAge_));
  NameEdit = "New";
  Selected = -1;
}

void AgeGroupEditor::Edit() {
  StartEditing();
  NameEdit = ShownName;
}

void AgeGroupEditor::Insert() {
  if (Selected < 0 || Selected >= static_cast<int>(list_.Groups.size())) {
    dialogs_.ShowInformation(kSelectFirst);
    return;
  }
  Tagegroup& group = *list_.Groups[static_cast<std::size_t>(Selected)];
  if (Width >= group.Hage - group.Lage) {
    dialogs_.ShowError(kTooWide);
    return;
  }
  auto inserted = std::make_unique<Tagegroup>(group.Lage, group.Lage + Width, maxAge_);
  group.Lage += Width;
  group.Relabel(maxAge_);
  list_.Groups.insert(list_.Groups.begin() + Selected, std::move(inserted));
}

void AgeGroupEditor::DeleteGroup() {
  if (Selected < 0 || Selected >= static_cast<int>(list_.Groups.size())) {
    dialogs_.ShowInformation(kSelectFirst);
    return;
  }
  if (Selected == static_cast<int>(list_.Groups.size()) - 1) {
    dialogs_.ShowError(kLastGroup);
    return;
  }
  Tagegroup& group = *list_.Groups[static_cast<std::size_t>(Selected)];
  group.SetHage(list_.Groups[static_cast<std::size_t>(Selected) + 1]->Hage, maxAge_);
  list_.Groups.erase(list_.Groups.begin() + Selected + 1);
}

// A width that does not divide the highest age would leave a last group ending beyond the open
// top; it is cut there at once, as readers of saved schedules would cut it.
void AgeGroupEditor::FillSchedule() {
  list_.Clear();
  const int w = std::clamp(Width, 1, 95);
  int end = 0;
  for (int start = 0; start < maxAge_; start += w) {
    end = std::min(start + w, maxAge_ + 1);
    list_.Groups.push_back(std::make_unique<Tagegroup>(start, end, maxAge_));
  }
  if (end == maxAge_ || list_.Groups.empty()) {
    list_.Groups.push_back(std::make_unique<Tagegroup>(maxAge_, maxAge_));
  }
  Selected = -1;
}

void AgeGroupEditor::ClearAll() {
  list_.Clear();
  list_.Groups.push_back(std::make_unique<Tagegroup>(0, maxAge_));
  Selected = -1;
}

void AgeGroupEditor::SaveToDisk() {
  ShownName = NameEdit;
  list_.Name = NameEdit;
  Database::Transaction transaction(data_.Collection());
  QueryResult& numbers =
      data_.QueryCollection("select distinct inputid from StandardAgeSchedules order by inputid");
  int number = 1;
  if (numbers.RecordCount() > 0) {
    numbers.Last();
    number = static_cast<int>(numbers.AsInteger(0)) + 1;
  }
  for (const auto& g : list_.Groups) {
    // An open top group is stored open: it reads back open in a data set of any highest age.
    const int hage = g->Hage >= maxAge_ + 1 ? kOpenTopHage : g->Hage;
    data_.ExecCollection("insert into StandardAgeSchedules values (" + std::to_string(number) +
                         ", " + Quote(list_.Name) + ", " + std::to_string(g->Lage) + ", " +
                         std::to_string(hage) + ")");
  }
  transaction.Commit();
  list_.Id = number;
}

void AgeGroupEditor::Done() {
  ShownName = NameEdit;
  list_.Name = NameEdit;
  editing_ = false;
  backup_.reset();
}

void AgeGroupEditor::Cancel() {
  editing_ = false;
  if (backup_) {
    list_ = std::move(*backup_);
    backup_.reset();
  }
  Selected = -1;
}

bool AgeGroupEditor::HasUnsavedChanges() const {
  return editing_ && (!backup_ || backup_->Labels() != list_.Labels());
}

bool AgeGroupEditor::MayClose() {
  if (!editing_) return true;
  return dialogs_.MayCloseWindow(
      HasUnsavedChanges(), "the age groups " + NameEdit,
      [this] {
        Done();
        return true;
      },
      [this] { Cancel(); });
}

void AgeGroupEditor::Read() {
  const auto choice = ChooseAgeSchedule(data_, dialogs_);
  if (!choice) return;
  FillFromSchedule(list_, data_, choice->Number, maxAge_);
  list_.Id = choice->Number;
  list_.Name = choice->Name;
  ShownName = choice->Name;
  NameEdit = choice->Name;
  Selected = -1;
}

void AgeGroupEditor::DeleteSaved() {
  const auto choice = ChooseAgeSchedule(data_, dialogs_);
  if (!choice) return;
  if (dialogs_.Message(kDeleteQuestion, DialogKind::kConfirmation,
                       DialogButton::kYes | DialogButton::kCancel) != DialogButton::kYes) {
    return;
  }
  data_.ExecCollection("delete from StandardAgeSchedules where inputid=" +
                       std::to_string(choice->Number));
}

}  // namespace kavrel
