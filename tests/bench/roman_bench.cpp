#include <benchmark/benchmark.h>

#include "platform/clock.h"
#include "platform/sim/sim.h"
#include "roman/date_tip.h"
#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "settings/settings.h"

namespace {

// The yardstick: what every tick pays before it can compare anything.
void BM_LocalNow(benchmark::State& state) {
  sim::UseSystemClock();
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::LocalNow());
  }
}
BENCHMARK(BM_LocalNow);

// Nine ticks in ten: the second has not changed.
void BM_RomanTimeSameSecond(benchmark::State& state) {
  sim::UseSystemClock();
  settings::Current = settings::ClockSettings{};
  roman::RomanTime();
  for (auto _ : state) {
    benchmark::DoNotOptimize(roman::RomanTime());
  }
}
BENCHMARK(BM_RomanTimeSameSecond);

void BM_RomanTimeNewSecond(benchmark::State& state) {
  sim::UseSystemClock();
  settings::Current = settings::ClockSettings{};
  for (auto _ : state) {
    roman::LastSecond = -1;
    benchmark::DoNotOptimize(roman::RomanTime());
  }
}
BENCHMARK(BM_RomanTimeNewSecond);

// The longest path: a.u.c. year, additive numerals, lower case.
void BM_DateTipText(benchmark::State& state) {
  settings::Current = settings::ClockSettings{};
  settings::Current.MedievalScript = false;
  settings::Current.RomanYear = true;
  settings::Current.Lowercase = true;
  roman::LatinDates.Clear();
  roman::BuildLatinDates();
  const platform::LocalDateTime date{2024, 12, 14, 12, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(roman::DateTipText(date));
  }
}
BENCHMARK(BM_DateTipText);

// What a toggle of the numeral style costs.
void BM_BuildLatinDates(benchmark::State& state) {
  settings::Current = settings::ClockSettings{};
  for (auto _ : state) {
    roman::LatinDates.Clear();
    roman::BuildLatinDates();
  }
  benchmark::DoNotOptimize(roman::LatinDates.Count());
}
BENCHMARK(BM_BuildLatinDates);

}  // namespace
