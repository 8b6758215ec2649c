#include "windows/tickers.h"

#include <algorithm>

#include "windows/theme_colours.h"

namespace clep::win {

namespace {

// After a theme change, or a new bar, the bars are read again for this
// many of the session window's reads: a shell repaints in its own time.
constexpr int kThemeRereads = 6;

}  // namespace

Tickers::Tickers(TickerOwner& owner, RunState& run, SessionWindow& session,
                 const TrayWindows& primary)
    : settings_(owner.Settings()), owner_(owner), run_(run), session_(session), seen_(ReadTheme()) {
  Dock(docked_.front(), primary);
  FollowSecondaryBars();
}

void Tickers::Dock(std::optional<Docked>& slot, const TrayWindows& windows) {
  Docked& docked = slot ? *slot : slot.emplace(owner_, run_);
  // The primary's taskbar takes its measures before anything of ours is in it.
  docked.taskbar.reset();
  docked.taskbar.emplace(windows);
  if (!docked.ticker.Exists()) {
    // New, or built anew after the shell took it: the time at once, not
    // blank until the next second.
    docked.ticker.Create(ShownEdge(), docked.taskbar->TickerParent(), input_);
    docked.ticker.Redraw();
  }
  if (docked.ticker.Exists() && !docked.taskbar->Embed(docked.ticker.Handle())) {
    run_.Log().Failed("SetParent of a ticker into its bar");
  }
  Fit(docked);
  RefreshThemeColours();  // a new bar may not have painted yet
}

void Tickers::Fit(Docked& docked) {
  const ClockSettings& s = settings_;
  if (docked.taskbar) {
    docked.ticker.SetDpi(docked.taskbar->Dpi());
  }
  docked.ticker.SetFont(s.fontName, ShownFontSize(s.fontSize), s.fontBold, s.fontItalic);
  if (docked.taskbar) {
    docked.taskbar->SetIconTip(docked.ticker.IconTip());
    docked.taskbar->FitTicker(TickerCells(s), docked.ticker.TextWidth(ClockStyleOf(s)));
  }
}

void Tickers::Restyle(Docked& docked) {
  if (!docked.ticker.Exists()) {
    return;  // lost: it is made anew in the style there is then
  }
  RefreshColours(docked, false);
  Fit(docked);
  docked.ticker.Redraw();
}

void Tickers::Restyle() {
  EachDocked([this](Docked& docked) { Restyle(docked); });
}

bool Tickers::ShownEdge() const {
  return DecideColours(ChosenColoursOf(settings_), seen_).edge;
}

bool Tickers::RefreshColours(Docked& docked, bool read) {
  const HWND ticker = docked.ticker.Handle();
  RECT at{};
  GetWindowRect(ticker, &at);
  // Only a themed bar's colour counts; a moved ticker may sit by another.
  const bool readable = docked.taskbar && ticker != nullptr && seen_.themed && !seen_.highContrast;
  const bool moved = readable && !EqualRect(&at, &docked.readAt);
  if (readable && (read || moved)) {
    docked.readAt = at;
    if (const std::optional<Rgb> bar = ReadBarColour(docked.taskbar->Bar(), ticker)) {
      docked.bar = bar;
    }
  }
  ThemeSeen seen = seen_;
  seen.bar = docked.bar;
  const ColourScheme scheme = DecideColours(ChosenColoursOf(settings_), seen);
  if (docked.scheme == scheme) {
    return moved;
  }
  if (docked.ticker.HasBorder() != scheme.edge) {
    docked.ticker.SetBorder(scheme.edge);
    if (docked.taskbar) {
      docked.taskbar->PlaceTickerTopLeft();
    }
  }
  docked.scheme = scheme;
  docked.ticker.SetColours(static_cast<std::int32_t>(scheme.text),
                           static_cast<std::int32_t>(scheme.back));
  return moved;
}

void Tickers::RefreshThemeColours() {
  themeRereads_ = kThemeRereads + 1;
  RereadThemeColours();
  session_.StartColourRereads();
}

bool Tickers::RereadThemeColours() {
  seen_ = ReadTheme();
  EachDocked([this](Docked& docked) { RefreshColours(docked, true); });
  return --themeRereads_ > 0;
}

void Tickers::ShowAll() {
  EachDocked([](Docked& docked) { docked.ticker.Show(); });
}

void Tickers::HideAll() {
  EachDocked([](Docked& docked) { docked.ticker.Hide(); });
}

void Tickers::GiveBack() {
  EachDocked([](Docked& docked) {
    docked.ticker.Hide();
    docked.taskbar.reset();
  });
}

void Tickers::EnableInput(bool on) {
  input_ = on;
  EachDocked([on](Docked& docked) { docked.ticker.EnableInput(on); });
}

std::optional<TickerWindow::Colours> Tickers::ShownColours(HWND ticker) const {
  for (const std::optional<Docked>& each : docked_) {
    if (each && each->taskbar && each->ticker.Handle() == ticker) {
      return each->ticker.ShownColours();
    }
  }
  return std::nullopt;
}

void Tickers::OnClockSet() {
  EachDocked([this](Docked& docked) { docked.ticker.Redraw(); });
}

void Tickers::PollBar(Docked& docked) {
  docked.taskbar->Poll();
  if (docked.ticker.Exists() && docked.ticker.Dpi() != docked.taskbar->Dpi()) {
    Restyle(docked);
  }
}

void Tickers::OnRescaled(const TickerWindow& ticker) {
  EachDocked([this, &ticker](Docked& docked) {
    if (&docked.ticker == &ticker && docked.taskbar) {
      PollBar(docked);
    }
  });
}

void Tickers::OnWorkAreaChanged() {
  EachDocked([](Docked& docked) {
    if (docked.taskbar) {
      docked.taskbar->PlaceAgainBesideClock();
    }
  });
}

void Tickers::OnSpoken(const TickerWindow& ticker) {
  EachDocked([&ticker](Docked& docked) {
    if (&docked.ticker == &ticker && docked.taskbar) {
      docked.taskbar->SetIconTip(ticker.IconTip());
    }
  });
}

void Tickers::PollTaskbars() {
  if (docked_.front()->taskbar) {
    PollBar(*docked_.front());
  }
  FollowSecondaryBars();
  bool moved = false;
  EachDocked([this, &moved](Docked& docked) { moved = RefreshColours(docked, false) || moved; });
  if (moved && themeRereads_ <= 0) {
    // A bar that moved or grew repaints in its own time, later on a busy
    // machine: the first read may find it unpainted (seen as black).
    themeRereads_ = kThemeRereads;
    session_.StartColourRereads();
  }
}

void Tickers::Redock(const TrayWindows& primary) {
  searchBars_ = true;
  Dock(docked_.front(), primary);
  docked_.front()->ticker.RestoreShown();
  // The other bars' tickers are built anew too.
  for (auto docked = docked_.begin() + 1; docked != docked_.end(); ++docked) {
    if (*docked) {
      (*docked)->taskbar.reset();
    }
  }
  FollowSecondaryBars();
}

void Tickers::FollowSecondaryBars() {
  // Only beside a primary ticker: without one the shell is gone or not yet whole.
  SecondaryBars bars;
  const bool serve = settings_.everyTaskbar && docked_.front()->taskbar;
  // Every fourth poll searches anyway: a notice of a new window can be lost
  // (seen under Wine while a dialog's loop ran, on a busy machine).
  const bool find = searchBars_ || !session_.SubscribedToShell() || ++pollsSinceBarSearch_ >= 4;
  if (serve) {
    if (find) {
      bars = FindSecondaryBars(docked_.front()->taskbar->Bar());
      searchBars_ = false;
      pollsSinceBarSearch_ = 0;
    } else {
      // A bar's coming is told, so only those known can have gone.
      EachDocked([&bars](Docked& docked) {
        if (docked.taskbar && docked.taskbar->Secondary() && IsWindow(docked.taskbar->Bar())) {
          bars.bars[static_cast<std::size_t>(bars.count++)] = docked.taskbar->Bar();
        }
      });
    }
  } else {
    searchBars_ = true;  // for when there are bars to serve again
  }
  for (auto docked = docked_.begin() + 1; docked != docked_.end(); ++docked) {
    if (!*docked) {
      continue;
    }
    std::optional<Taskbar>& taskbar = (*docked)->taskbar;
    // A search can miss a bar the shell moves in its order meanwhile (seen
    // as a bar came back): one still there keeps its ticker.
    if (taskbar && !bars.Take(taskbar->Bar()) && !(serve && IsWindow(taskbar->Bar()))) {
      run_.Log().Noted("a monitor's bar went away");
      taskbar.reset();
    }
    if (taskbar) {
      PollBar(**docked);
    } else if (!(*docked)->ticker.InModalLoop()) {  // else at a later poll
      docked->reset();
    }
  }
  // The bars left have no ticker yet.
  for (HWND bar : bars.bars) {
    const auto free = std::find_if(docked_.begin() + 1, docked_.end(),
                                   [](const std::optional<Docked>& docked) { return !docked; });
    if (bar == nullptr) {
      continue;
    }
    if (free == docked_.end()) {
      searchBars_ = true;  // again once a place is free
      continue;
    }
    Dock(*free, SecondaryWindows(bar));
    if (run_.Running()) {
      (*free)->ticker.Show();
    }
  }
}

void Tickers::OnLost(const TickerWindow& ticker) {
  // The shell ended and took the ticker with it: nothing to give back. A
  // secondary one is dropped at the next poll, and its bar, if it
  // stays, is served anew.
  run_.Log().Noted("the shell took a ticker's window with it");
  searchBars_ = true;
  EachDocked([&ticker](Docked& docked) {
    if (&docked.ticker == &ticker && docked.taskbar) {
      docked.taskbar->Forget();
      docked.taskbar.reset();
    }
  });
}

}  // namespace clep::win
