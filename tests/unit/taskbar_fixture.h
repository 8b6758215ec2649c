// A fresh simulated desktop and taskbar state for every test, and the
// start-up steps that embed the ticker as Main does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/shell.h"
#include "platform/sim/desktop.h"
#include "settings/settings.h"
#include "taskbar/geometry.h"
#include "taskbar/restore.h"
#include "taskbar/tray_windows.h"

class TaskbarFixture : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    sim::ResetDesktop();
    settings::TickerCells = 6;
    taskbar::Tray = {};
    taskbar::TickerEmbedded = false;
    taskbar::TickerWindow = 0;
    taskbar::TickerHeight = taskbar::TickerWidth = 0;
    taskbar::TickerAtTopLeft = false;
    taskbar::LastEdge = taskbar::LastTrayWidth = taskbar::LastTrayHeight = 0;
  }

  // A shell, and a hidden top-level window standing in for the form's.
  void Desktop(const sim::ShellOptions& options = {}) {
    shell = sim::CreateShell(options);
    taskbar::TickerWindow = sim::AddWindow("TickerForm", 0, {300, 300, 310, 310}, false);
  }

  // Steps 5 to 11 of start-up.
  void StartUp(const sim::ShellOptions& options = {}) {
    Desktop(options);
    taskbar::FindTrayWindows();
    taskbar::LastEdge = taskbar::GetTaskbarEdge();
    taskbar::GetTrayClientSize(taskbar::LastTrayWidth, taskbar::LastTrayHeight);
    platform::SetWindowParent(taskbar::TickerWindow, taskbar::Tray.hWndTray);
    taskbar::PlaceTickerTopLeft();
    taskbar::FitTicker();
    sim::ClearLog();
  }

  static platform::Rect Ticker() { return sim::PlaceOf(taskbar::TickerWindow); }
  static std::int32_t TrayWidth() { return platform::ClientRect(taskbar::Tray.hWndTray).right; }

  // SetWindowPos calls that moved the ticker (as opposed to sizing it).
  static int Moves() {
    int moves = 0;
    for (const sim::Event& event : sim::Log()) {
      moves += event.effect == sim::Effect::kPositioned && event.window == taskbar::TickerWindow &&
               (event.value & platform::kPosNoMove) == 0;
    }
    return moves;
  }

  static int Count(sim::Effect effect) {
    int count = 0;
    for (const sim::Event& event : sim::Log()) {
      count += event.effect == effect;
    }
    return count;
  }

  sim::ShellWindows shell;
};
