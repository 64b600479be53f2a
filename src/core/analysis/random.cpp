#include "core/analysis/random.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace kavrel {

namespace {

// s' = a (s mod q) - r (s div q), plus m when negative: a s mod m without overflow.
std::int32_t Schrage(std::int32_t s, std::int32_t a, std::int32_t m, std::int32_t q,
                     std::int32_t r) {
  std::int32_t next = a * (s % q) - r * (s / q);
  if (next < 0) next += m;
  return next;
}

constexpr std::int32_t kMask = 123459876;

std::int32_t MaskedSeed(std::int32_t s) { return s == kMask ? 1 : (s ^ kMask); }

// Floating-point steps in extended precision, rounded to double at the end.
double Ratio(std::int64_t numerator, long double denominator) {
  return static_cast<double>(static_cast<long double>(numerator) / denominator);
}

}  // namespace

double Trandom::Next() {
  x_ = x_ * 134775813u + 1u;
  return static_cast<double>(static_cast<long double>(x_) * 0x1p-32L);
}

void TeoRandomBase::SetSeed(std::int32_t seed) { Seed = State = seed; }

void TeoRandomGood::SetSeed(std::int32_t seed) {
  Seed = MaskedSeed(seed);
  State = Seed;
}

double TeoRandomGood::Next() {
  State = Schrage(State, 16807, 2147483647, 127773, 2836);
  return Ratio(State, 2147483647.0L);
}

void TeoRandomBetter::SetSeed(std::int32_t seed) {
  Seed = MaskedSeed(seed);
  State = Seed;
  for (int k = 0; k < 8; ++k) State = Schrage(State, 16807, 2147483647, 127773, 2836);
  for (int k = 31; k >= 0; --k) {
    State = Schrage(State, 16807, 2147483647, 127773, 2836);
    Table[static_cast<std::size_t>(k)] = State;
  }
  Y = Table[0];
}

double TeoRandomBetter::Next() {
  State = Schrage(State, 16807, 2147483647, 127773, 2836);
  const int j = Y / 67108864;
  Y = Table[static_cast<std::size_t>(j)];
  Table[static_cast<std::size_t>(j)] = State;
  const double u = Ratio(Y, 2147483647.0L);
  return u > 0.99999988 ? 0.99999988 : u;
}

void TeoRandomBest::SetSeed(std::int32_t seed) {
  Seed = MaskedSeed(seed);
  State = State2 = Seed;
  for (int k = 0; k < 8; ++k) State = Schrage(State, 40014, 2147483563, 53668, 12211);
  for (int k = 31; k >= 0; --k) {
    State = Schrage(State, 40014, 2147483563, 53668, 12211);
    Table[static_cast<std::size_t>(k)] = State;
  }
  Y = Table[0];
}

double TeoRandomBest::Next() {
  State = Schrage(State, 40014, 2147483563, 53668, 12211);
  State2 = Schrage(State2, 40692, 2147483399, 52774, 3791);
  const int j = Y / 67108862;
  Y = Table[static_cast<std::size_t>(j)] - State2;
  Table[static_cast<std::size_t>(j)] = State;
  if (Y < 1) Y += 2147483563;
  const double u = Ratio(Y, 2147483563.0L);
  return u > 0.99999988 ? 0.99999988 : u;
}

void TeoRandomQAD::SetSeed(std::int32_t seed) { Seed = State = seed; }

double TeoRandomQAD::Next() {
  State = static_cast<std::int32_t>(static_cast<std::uint32_t>(State) * 1664525u + 1013904223u);
  const std::uint32_t bits = 0x3F800000u | (static_cast<std::uint32_t>(State) & 0x7FFFFFu);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return static_cast<double>(value) - 1.0;
}

void TeoRandomMarsagliaBase::SetSeeds(std::int32_t seed1, std::int32_t seed2) {
  std::uint32_t c = 2u * static_cast<std::uint32_t>(seed1) + 1u;
  Shift = static_cast<std::uint32_t>(seed2);
  for (auto& word : Lag) {
    std::uint32_t w = 0;
    for (int bit = 0; bit < 32; ++bit) {
      c *= 69069u;
      Shift ^= Shift >> 15;
      Shift ^= Shift << 17;
      w = (w >> 1) | ((c ^ Shift) & 0x80000000u);
    }
    word = w;
  }
  Seed = static_cast<std::int32_t>(c);
  Borrow = 0;
  Index = 38;
}

void TeoRandomMarsagliaBase::Regenerate() {
  std::uint32_t b = Borrow;
  const auto subtract = [&b](std::uint32_t x, std::uint32_t y) {
    const std::uint64_t wide = static_cast<std::uint64_t>(x) - y - b;
    b = (static_cast<std::int64_t>(x) - static_cast<std::int64_t>(y) - b) < 0 ? 1 : 0;
    return static_cast<std::uint32_t>(wide);
  };
  for (int i = 0; i < 24; ++i) Lag[i] = subtract(Lag[i + 13], Lag[i]);
  for (int k = 0; k < 13; ++k) Lag[24 + k] = subtract(Lag[k], Lag[24 + k]);
  Borrow = b;
  Mix();
}

void TeoRandomMarsaglia::Mix() {
  std::uint32_t x = static_cast<std::uint32_t>(Seed);
  for (int i = 0; i < 37; ++i) {
    x *= 69069u;
    Mixed[static_cast<std::size_t>(i)] = Lag[static_cast<std::size_t>(i)] ^ x;
  }
  Seed = static_cast<std::int32_t>(x);
}

std::uint32_t TeoRandomMarsagliaBase::NextWord() {
  if (Index < 36) {
    ++Index;
  } else {
    Index = 0;
    Regenerate();
  }
  return Word(Index);
}

double TeoRandomMarsagliaBase::Next() {
  const std::uint32_t w1 = NextWord();
  const std::uint32_t w2 = NextWord();
  const long double value = (static_cast<long double>(static_cast<std::int32_t>(w1)) * 0x1p-32L +
                             static_cast<long double>(w2 & 0x7FFFFFFFu)) *
                            0x1p-31L;
  return static_cast<double>(value);
}

std::uint32_t ClockSeed() {
  return static_cast<std::uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

RandomSource::RandomSource(int generator, std::uint32_t runtimeSeed) : index_(generator) {
  const auto seed = static_cast<std::int32_t>(runtimeSeed);
  const auto second = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(100000) - seed)));
  switch (generator) {
    case 0:
      generator_ = std::make_unique<Trandom>(runtimeSeed);
      break;
    case 1:
      generator_ = std::make_unique<TeoRandomQAD>(seed);
      break;
    case 2:
      generator_ = std::make_unique<TeoRandomGood>(seed);
      break;
    case 3:
      generator_ = std::make_unique<TeoRandomBetter>(seed);
      break;
    case 4:
      generator_ = std::make_unique<TeoRandomBest>(seed);
      break;
    case 5:
      generator_ = std::make_unique<TeoRandomMarsagliaFast>(seed, second);
      break;
    case 6:
      generator_ = std::make_unique<TeoRandomMarsaglia>(seed, second);
      break;
    default:
      throw std::invalid_argument("Random number generator " + std::to_string(generator) +
                                  " does not exist (0 to 6)");
  }
}

double RandomSource::StandardNormal() {
  if (haveCached_) {
    haveCached_ = false;
    return cached_;
  }
  double p, q, s;
  do {
    p = 2.0 * Next() - 1.0;
    q = 2.0 * Next() - 1.0;
    s = p * p + q * q;
  } while (s > 1.0 || s == 0.0);
  const double f = std::sqrt(-2.0 * std::log(s) / s);
  cached_ = p * f;
  haveCached_ = true;
  return q * f;
}

}  // namespace kavrel
