// Fresh Roman formatting state for every test: default settings, clock state
// at zero, no Latin dates, the simulated clock following the host.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/sim.h"
#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "settings/settings.h"

class RomanFixture : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    settings::Current = settings::ClockSettings{};
    roman::LastHour = roman::LastMinute = roman::LastSecond = 0;
    roman::LatinDates.Clear();
    sim::UseSystemClock();
  }

  static void Style(bool subtractive) { settings::Current.MedievalScript = subtractive; }
};
