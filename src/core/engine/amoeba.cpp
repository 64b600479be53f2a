#include "core/engine/amoeba.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "core/base/errors.h"
#include "core/base/messages_log.h"
#include "core/base/user_dialogs.h"

namespace kavrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// text matches pattern, where '9' in the pattern stands for one digit and anything else for
// itself.
bool MatchesMask(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (pattern[k] == '9' ? !IsDigit(text[k]) : text[k] != pattern[k]) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A whole text as a number of type T (locale independent), finite and not negative; the refusal
// naming the field otherwise.
template <typename T>
std::optional<std::string> ParseSetting(std::string_view text, std::string_view field, T& value) {
  const auto trimmed = Trimmed(text);
  value = T{};
  const auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || ec != std::errc() || end != trimmed.data() + trimmed.size() ||
      !std::isfinite(static_cast<double>(value)) || value < T{}) {
    return "Downhill simplex options: \"" + std::string(text) + "\" is not a valid number for " +
           std::string(field);
  }
  return std::nullopt;
}

}  // namespace

bool SimplexSettings::MaxIterationsFits(std::string_view text) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}
bool SimplexSettings::PrecisionFits(std::string_view text) { return MatchesMask(text, "1.0E-99"); }
bool SimplexSettings::SimplexFits(std::string_view text) { return MatchesMask(text, "0.99"); }
bool SimplexSettings::AlphaFits(std::string_view text) { return MatchesMask(text, "9.9"); }
bool SimplexSettings::BetaFits(std::string_view text) { return MatchesMask(text, "0.9"); }
bool SimplexSettings::GammaFits(std::string_view text) { return MatchesMask(text, "9.9"); }

SimplexNumbers ParseSimplex(const SimplexSettings& texts) {
  SimplexNumbers n;
  n.WarnOnMaxIterations = texts.WarnOnMaxIterations;
  n.AskMoreIterations = texts.AskMoreIterations;
  // In the order the minimiser has always read them: the first refusal is the one it gives.
  for (auto problem :
       {ParseSetting(texts.Precision, SimplexSettings::kPrecisionCaption, n.Precision),
        ParseSetting(texts.MaxIterations, SimplexSettings::kMaxIterationsCaption, n.MaxIter),
        ParseSetting(texts.Alpha, SimplexSettings::kAlphaCaption, n.Alpha),
        ParseSetting(texts.Beta, SimplexSettings::kBetaCaption, n.Beta),
        ParseSetting(texts.Gamma, SimplexSettings::kGammaCaption, n.Gamma),
        ParseSetting(texts.Simplex, SimplexSettings::kSimplexCaption, n.SimplexScale)}) {
    if (problem && !n.Problem) n.Problem = problem;
  }
  return n;
}

namespace {

const SimplexNumbers& Usable(const SimplexNumbers& options) {
  if (options.Problem) throw std::invalid_argument(*options.Problem);
  return options;
}

}  // namespace

Tamoeba::Tamoeba(int n, const SimplexNumbers& options, UserDialogs& dialogs, MessagesLog& log)
    : Precision(Usable(options).Precision),
      MaxIter(options.MaxIter),
      Alpha(options.Alpha),
      Beta(options.Beta),
      Gamma(options.Gamma),
      SimplexScale(options.SimplexScale),
      LastIndex(n - 1),
      Dim(n),
      warnOnMaxIterations_(options.WarnOnMaxIterations),
      askMoreIterations_(options.AskMoreIterations),
      dialogs_(dialogs),
      log_(log) {
  if (n < 0)
    throw std::invalid_argument("The downhill simplex method needs a dimension of 0 or more");
  const auto size = static_cast<std::size_t>(n);
  Best.assign(size, 0.0);
  Start.assign(size, 0.0);
  TryPoint.assign(size, 0.0);
  TrialPoint.assign(size, 0.0);
  Centroid.assign(size, 0.0);
  Costs.assign(size + 1, 0.0);
  Vertices.assign(size + 1, std::vector<double>(size, 0.0));
}

double Tamoeba::CheckedCost(std::span<const double> point) {
  for (double x : point) {
    if (!std::isfinite(x)) throw ArithmeticError("simplex point is not finite");
  }
  const double cost = Cost(point);
  if (!std::isfinite(cost)) throw ArithmeticError("cost is not finite");
  return cost;
}

void Tamoeba::Rank() {
  if (Costs[0] > Costs[1]) {
    Highest = 0;
    NextHighest = 1;
  } else {
    Highest = 1;
    NextHighest = 0;
  }
  Lowest = 0;
  for (int i = 0; i <= Dim; ++i) {
    if (Costs[i] < Costs[Lowest]) Lowest = i;
    if (Costs[i] > Costs[Highest]) {
      NextHighest = Highest;
      Highest = i;
    } else if (Costs[i] > Costs[NextHighest] && i != Highest) {
      NextHighest = i;
    }
  }
  const double high = Costs[Highest];
  const double low = Costs[Lowest];
  // A relative spread; where it has no meaning (costs summing to 0 or less) the run stops.
  Spread = high + low > 0.0 ? 2.0 * std::fabs(high - low) / (std::fabs(high) + std::fabs(low))
                            : Precision / 2.0;
}

void Tamoeba::Replace(int vertex, const std::vector<double>& point, double cost) {
  Vertices[vertex] = point;  // same size: no allocation
  Costs[vertex] = cost;
}

void Tamoeba::Minimize() {
  if (Dim == 0) return;
  Iter = 0;
  Converged = false;
  const int n = Dim;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j < n; ++j) {
      // The displacement is multiplicative: a start of -2 with scale 0.05 becomes -0.1.
      Vertices[i][j] = i != j ? Start[j] : (Start[i] != 0.0 ? Start[i] * SimplexScale : 0.1);
    }
  }
  try {
    for (int i = 0; i <= n; ++i) Costs[i] = CheckedCost(Vertices[i]);
    while (!Converged) Iterate();
  } catch (const ArithmeticError&) {
    Best = Vertices[Lowest];
    log_.AddMessage(kAmoebaError);
  }
}

void Tamoeba::Iterate() {
  const int n = Dim;
  ++Iter;
  Rank();
  // A pass that converges here still completes; Best is the point taken now.
  if (Spread < Precision) {
    Converged = true;
    Best = Vertices[Lowest];
  }

  for (int j = 0; j < n; ++j) {
    double sum = 0.0;
    for (int i = 0; i <= n; ++i) {
      if (i != Highest) sum += Vertices[i][j];
    }
    Centroid[j] = sum / n;
    TryPoint[j] = (1.0 + Alpha) * Centroid[j] - Alpha * Vertices[Highest][j];
  }
  TryCost = CheckedCost(TryPoint);

  if (TryCost <= Costs[Lowest]) {
    // Expansion.
    for (int j = 0; j < n; ++j) TrialPoint[j] = Gamma * TryPoint[j] + (1.0 - Gamma) * Centroid[j];
    TrialCost = CheckedCost(TrialPoint);
    if (TrialCost >= Costs[Lowest]) {
      Replace(Highest, TryPoint, TryCost);
    } else {
      Replace(Highest, TrialPoint, TrialCost);
    }
  } else if (TryCost < Costs[NextHighest]) {
    Replace(Highest, TryPoint, TryCost);
  } else {
    // Contraction, towards the better of the highest vertex and its reflection.
    if (TryCost < Costs[Highest]) Replace(Highest, TryPoint, TryCost);
    for (int j = 0; j < n; ++j) {
      TrialPoint[j] = Beta * Vertices[Highest][j] + (1.0 - Beta) * Centroid[j];
    }
    TrialCost = CheckedCost(TrialPoint);
    if (TrialCost >= Costs[Highest]) {
      // Shrink every vertex halfway towards the lowest.
      for (int i = 0; i <= n; ++i) {
        if (i == Lowest) continue;
        for (int j = 0; j < n; ++j) Vertices[i][j] = (Vertices[i][j] + Vertices[Lowest][j]) / 2.0;
        Costs[i] = CheckedCost(Vertices[i]);
      }
    } else {
      Replace(Highest, TrialPoint, TrialCost);
    }
  }

  // ">=" rather than "=": a limit of 0 ends after the first pass instead of never.
  if (Iter >= MaxIter) {
    Converged = true;
    MaxIterReached = true;
    Best = Vertices[Lowest];
    if (askMoreIterations_ && dialogs_.AskYesNo(kAmoebaMoreIterationsQuestion)) {
      Iter = 0;
      Converged = false;
    }
    if (!warnOnMaxIterations_) MaxIterReached = false;
  }
}

}  // namespace kavrel
