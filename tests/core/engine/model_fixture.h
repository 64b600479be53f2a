#pragma once

#include <array>
#include <string>

#include "core/base/messages_log.h"
#include "core/base/vocabulary.h"
#include "core/engine/disease.h"

namespace kavrel::testing {

// A disease against a population with flat all-cause mortality, and a log with a fixed clock.
struct ModelFixture {
  explicit ModelFixture(int maxAge = 100, double allCauseRate = 0.01) : maxAge(maxAge) {
    for (auto& perSex : allCause) {
      for (int a = 0; a <= maxAge; ++a) perSex[a] = allCauseRate;
    }
  }

  ModelEnvironment Env() { return ModelEnvironment{maxAge, allCause, otherCause, log, nullptr}; }

  // Same hazards at every age of the current sex, in both InputSeries and ModelSeries.
  void SetHazards(double i, double r, double f) {
    for (int a = 0; a <= maxAge; ++a) SetHazardsAt(a, i, r, f);
  }
  void SetHazardsAt(int a, double i, double r, double f) {
    for (auto* series : {&disease.InputSeries, &disease.ModelSeries}) {
      (*series)[kIncidence][disease.Sex][a] = i;
      (*series)[kRemission][disease.Sex][a] = r;
      (*series)[kCaseFatality][disease.Sex][a] = f;
    }
  }

  int maxAge;
  MessagesLog log{[] { return std::string("12:00:00"); }};
  std::array<Series, kSexCount> allCause{};
  std::array<Series, kSexCount> otherCause{};
  Tdisease disease{"Test disease"};
};

}  // namespace kavrel::testing
