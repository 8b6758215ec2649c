// A fresh program for every test: default settings in a scratch folder,
// Roman and taskbar state at rest, an empty desktop and toolkit.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/sim/form.h"
#include "platform/sim/sim.h"
#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "taskbar/restore.h"
#include "taskbar_fixture.h"
#include "ticker/form.h"

class TickerFixture : public TaskbarFixture {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("clep-ticker-" + std::to_string(stamp));
    std::filesystem::create_directories(dir_);
    Reset();
  }
  void TearDown() override {
    Reset();
    sim::UseSystemClock();
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }

  void Reset() {
    TaskbarFixture::Reset();
    sim::ResetToolkit();
    std::error_code error;
    std::filesystem::create_directories(dir_ / "exe", error);
    sim::SetExeFolder((dir_ / "exe").string());
    std::filesystem::remove(IniPath(), error);
    settings::IniPath.clear();
    frmClepsydrium::VersionText.clear();
    frmClepsydrium::CDialog = {};
    roman::LastHour = roman::LastMinute = roman::LastSecond = 0;
    roman::LatinDates.Clear();
    settings::Current = settings::ClockSettings{};
    sim::SetLocalTime({2024, 1, 2, 10, 0, 0});
  }

  // Main's start-up up to the modal show, on a default shell.
  void Start() {
    settings::IniPath = platform::ExeFolder() + "\\Clepsydrium.ini";
    settings::TickerCells = settings::CellsFor(settings::Current.DisplaySeconds);
    roman::BuildLatinDates();
    shell = sim::CreateShell();
    taskbar::FindTrayWindows();
    frmClepsydrium::Load();
    taskbar::EmbedTicker();
    taskbar::PlaceTickerTopLeft();
    taskbar::FitTicker();
    sim::PumpMessages();
    sim::ClearLog();
    sim::ClearCalls();
  }

  // Opens the menu with a right click and chooses the item.
  static void Choose(std::size_t item, std::int16_t button = platform::kLeftButton) {
    sim::ChooseMenuItem(item, button);
    sim::MouseUp(platform::kRightButton);
  }

  std::string IniPath() const { return (dir_ / "exe" / "Clepsydrium.ini").string(); }
  // The settings file's bytes; empty when there is none.
  std::string Ini() const {
    std::ifstream in(IniPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static std::string Key(const char* key) {
    std::string value;
    settings::ReadSetting(key, value);
    return value;
  }

  std::filesystem::path dir_;
};
