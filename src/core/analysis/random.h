#pragma once

// The uniform random number generators of the uncertainty analysis, bit for bit as the system
// defines them: 32-bit wrap-around arithmetic, the Schrage step of the congruential generators,
// the shuffle tables and the Marsaglia subtract-with-borrow lags.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace kavrel {

// "System": a 32-bit congruential state seeded from the clock (the runtime's own generator).
class Trandom {
 public:
  explicit Trandom(std::uint32_t runtimeSeed = 0) : x_(runtimeSeed) {}
  virtual ~Trandom() = default;
  // The next number in [0, 1) (the Marsaglia generators can give a little below 0).
  virtual double Next();

 private:
  std::uint32_t x_;
};

class TeoRandomBase : public Trandom {
 public:
  double Next() override = 0;
  virtual void SetSeed(std::int32_t seed);
  std::int32_t Seed = 0;
  std::int32_t State = 0;

 protected:
  TeoRandomBase() = default;
};

// "Park and Miller minimal standard congruential generator".
class TeoRandomGood : public TeoRandomBase {
 public:
  explicit TeoRandomGood(std::int32_t seed) { TeoRandomGood::SetSeed(seed); }
  void SetSeed(std::int32_t seed) override;
  double Next() override;
};

// "Park and Miller with Bays and Durham shuffle".
class TeoRandomBetter : public TeoRandomBase {
 public:
  explicit TeoRandomBetter(std::int32_t seed) { TeoRandomBetter::SetSeed(seed); }
  void SetSeed(std::int32_t seed) override;
  double Next() override;
  std::int32_t Y = 0;
  std::array<std::int32_t, 32> Table{};

 protected:
  TeoRandomBetter() = default;
};

// "L'Ecuyer's two-series combo plus shuffle".
class TeoRandomBest final : public TeoRandomBetter {
 public:
  explicit TeoRandomBest(std::int32_t seed) { TeoRandomBest::SetSeed(seed); }
  void SetSeed(std::int32_t seed) override;
  double Next() override;
  std::int32_t State2 = 0;
};

// "Quick and dirty".
class TeoRandomQAD final : public TeoRandomBase {
 public:
  explicit TeoRandomQAD(std::int32_t seed) { TeoRandomQAD::SetSeed(seed); }
  void SetSeed(std::int32_t seed) override;
  double Next() override;
};

class TeoRandomMarsagliaBase : public TeoRandomBase {
 public:
  void SetSeed(std::int32_t seed) override { SetSeeds(seed, 7654321); }
  virtual void SetSeeds(std::int32_t seed1, std::int32_t seed2);
  double Next() override;

  std::uint32_t Borrow = 0;
  int Index = 38;
  std::uint32_t Shift = 0;
  std::array<std::uint32_t, 37> Lag{};

 protected:
  TeoRandomMarsagliaBase() = default;
  void Regenerate();
  virtual std::uint32_t Word(int index) const { return Lag[static_cast<std::size_t>(index)]; }
  virtual void Mix() {}
  std::uint32_t NextWord();
};

// "Fast Marsaglia".
class TeoRandomMarsagliaFast final : public TeoRandomMarsagliaBase {
 public:
  TeoRandomMarsagliaFast(std::int32_t seed1, std::int32_t seed2) { SetSeeds(seed1, seed2); }
};

// "Top-quality Marsaglia".
class TeoRandomMarsaglia final : public TeoRandomMarsagliaBase {
 public:
  TeoRandomMarsaglia(std::int32_t seed1, std::int32_t seed2) { SetSeeds(seed1, seed2); }
  std::array<std::uint32_t, 37> Mixed{};

 protected:
  std::uint32_t Word(int index) const override { return Mixed[static_cast<std::size_t>(index)]; }
  void Mix() override;
};

inline constexpr std::array<std::string_view, 7> kGeneratorNames = {
    "System",
    "Quick and dirty",
    "Park and Miller minimal standard congruential generator",
    "Park and Miller with Bays and Durham shuffle",
    "L'Ecuyer's two-series combo plus shuffle",
    "Fast Marsaglia",
    "Top-quality Marsaglia"};
inline constexpr int kDefaultGenerator = 5;

// The low 32 bits of the high-resolution clock: the runtime seed value of a new generator.
std::uint32_t ClockSeed();

// The current generator and the cached second normal deviate: what the analyses draw from. One
// per analysis, never shared between threads.
class RandomSource {
 public:
  // Creates the generator of the list's index from the runtime seed (indexes 1 to 4 take it as
  // their seed; the Marsaglia generators take it and |100000 - seed|).
  RandomSource(int generator, std::uint32_t runtimeSeed);
  double Next() { return generator_->Next(); }
  // A standard normal deviate by the polar method, the pair's second one cached.
  double StandardNormal();
  int Generator() const { return index_; }

 private:
  int index_;
  std::unique_ptr<Trandom> generator_;
  bool haveCached_ = false;
  double cached_ = 0.0;
};

}  // namespace kavrel
