#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "platform/form_events.h"
#include "platform/sim/desktop.h"
#include "platform/sim/form.h"
#include "platform/sim/sim.h"
#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "settings/settings.h"
#include "taskbar/geometry.h"
#include "ticker/form.h"

namespace {
std::size_t allocations = 0;
}  // namespace

// Counts every heap allocation of the run, so a benchmark can report its own.
void* operator new(std::size_t size) {
  ++allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
// GCC cannot see that these pair with the malloc above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
#pragma GCC diagnostic pop

namespace {

// The drawing timer's tick, nine times in ten: the second has not changed.
void BM_DrawingTickSameSecond(benchmark::State& state) {
  sim::UseSystemClock();
  sim::ResetDesktop();
  sim::ResetToolkit();
  sim::CreateShell();
  settings::Current = settings::ClockSettings{};
  settings::TickerCells = settings::CellsFor(true);
  roman::LatinDates.Clear();
  roman::BuildLatinDates();
  frmClepsydrium::Load();
  std::size_t ticks = 0;
  std::size_t allocated = 0;
  for (auto _ : state) {
    // Now and then the second turns and the tick draws: count only the others.
    const std::int16_t second = roman::LastSecond;
    const std::size_t before = allocations;
    frmClepsydrium::tmrTicker_Timer();
    if (roman::LastSecond == second) {
      ++ticks;
      allocated += allocations - before;
    }
  }
  state.counters["allocs_per_tick"] =
      ticks == 0 ? 0.0 : static_cast<double>(allocated) / static_cast<double>(ticks);
}
BENCHMARK(BM_DrawingTickSameSecond);

}  // namespace
