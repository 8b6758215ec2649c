// Timings of the hot paths, with a bare local-time read as the yardstick in
// the same run, and the heap allocations of the same-second tick.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "clock/date_tip.h"
#include "clock/roman.h"
#include "posix/local_clock.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
// GCC cannot see that these pair with the malloc above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
#pragma GCC diagnostic pop

namespace {

// What every tick pays before it can compare anything.
void BM_LocalNow(benchmark::State& state) {
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's own loop
    benchmark::DoNotOptimize(clep::LocalNow());
  }
}
BENCHMARK(BM_LocalNow);

// Nine ticks in ten: the second has not changed, nothing is drawn.
void BM_TickSameSecond(benchmark::State& state) {
  clep::ClockFace face;
  face.Preset(clep::LocalNow());
  const long before = allocations.load();
  long ticks = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's own loop
    benchmark::DoNotOptimize(face.Advance(clep::LocalNow(), {}));
    ++ticks;
  }
  state.counters["allocs_per_tick"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(ticks);
}
BENCHMARK(BM_TickSameSecond);

// The longest path: a.u.c. year, additive numerals, lower case.
void BM_DateTipText(benchmark::State& state) {
  const clep::TipStyle style{false, false, true, true};
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's own loop
    benchmark::DoNotOptimize(
        clep::DateTipText({2024, 12, 14, 12, 0, 0}, style, clep::LongDateText));
  }
}
BENCHMARK(BM_DateTipText);

}  // namespace
