#!/usr/bin/env python3
"""Plants known faults in src/, one at a time, and says which the suites catch.

    scripts/plant-faults.py [--only linux|windows] [--list] [--build-root build]

Each fault is a small textual change that must match exactly once. A core,
POSIX or clepsydrium-print fault is built in the linux preset and run against
its whole ctest; a Windows one is built in win64 and run against the scenarios
named beside it (the whole e2e suite would take minutes a fault). Each line
names the tests that failed. The tree is restored after each, and at any exit."""

import argparse, os, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (file under src/, text, planted text, scenarios for a Windows fault)
FAULTS = [
    # the numerals and the clock text
    ("clock/roman.cpp", "kSubtractive[value] : kAdditive[value]", "kAdditive[value] : kSubtractive[value]", None),
    ("clock/roman.cpp", 'return zeroAsDash ? "-" : "";', 'return zeroAsDash ? "0" : "";', None),
    ("clock/roman.cpp", "if (value < 0 || value > 99) {", "if (value < 0 || value > 98) {", None),
    ("clock/roman.cpp", "text[i] - 'A' + 'a'", "text[i] - 'A' + 'b'", None),
    ("clock/roman.cpp", "(cells * 4 - static_cast<int>(length) - 2) / 2", "(cells * 4 - static_cast<int>(length)) / 2",
     None),
    ("clock/roman.cpp", "(59 - std::min(second, 59)) * 1000) + 1000", "(59 - std::min(second, 59)) * 1000) + 999",
     None),
    ("clock/roman.cpp", "if (WidthOf(text, widths) > WidthOf(widest, widths)) {",
     "if (WidthOf(text, widths) < WidthOf(widest, widths)) {", None),
    ("clock/latin_dates.cpp", "return subtractive ? withSubtractive : withAdditive;", "return withSubtractive;", None),
    ("clock/latin_dates.cpp", "const char* reference = day < month.nones", "const char* reference = day <= month.nones",
     None),
    ("clock/latin_dates.cpp", "kMonths[monthNumber % 12].accusative", "kMonths[monthNumber % 11].accusative", None),
    ("clock/latin_dates.cpp", "if (count == 2) {", "if (count == 3) {", None),
    ("clock/latin_dates.cpp", "if (day < 1 || day > DaysInLeapYearMonth(month)) {",
     "if (day < 1 || day > DaysInLeapYearMonth(month) + 1) {", None),
    ("clock/date_tip.cpp", "date.month == 12 && date.day >= 14", "date.month == 12 && date.day >= 15", None),
    ("clock/date_tip.cpp", "if (year < kFirstYear || year > kLastYear) {", "if (year < kFirstYear) {", None),
    ("clock/date_tip.cpp", "if (style.lowercase) {", "if (!style.lowercase) {", None),
    ("clock/feasts.cpp", "feast.first <= day && day <= feast.last", "feast.first <= day && day < feast.last", None),
    ("calendar/latin_month.cpp", 'text + " a.u.c."', 'text + " a.u.c"', None),
    ("calendar/latin_month.cpp", "month == 2 && !leap ? 28", "month == 2 && !leap ? 29", None),
    ("calendar/latin_month.cpp", "const int y = month < 3 ? year - 1 : year;", "const int y = month < 2 ? year - 1 : year;",
     None),
    ("calendar/latin_month.cpp", "if (feast.last != feast.first) {", "if (feast.last == feast.first) {", None),
    ("calendar/latin_month.cpp", "const int day = cell - lead + 1;", "const int day = cell - lead;", None),
    ("calendar/place.cpp", "bar.bottom + gap", "bar.bottom - gap", None),
    ("calendar/place.cpp", "std::max(monitorStart, std::min(start, monitorEnd - length))",
     "std::max(monitorStart, std::min(start, monitorEnd))", None),
    # the settings
    ("settings/clock_settings.cpp", "if (text.empty() || text.front() == '+') {", "if (text.empty()) {", None),
    ("settings/clock_settings.cpp", "if (!text || text->empty()) {", "if (!text) {", None),
    ("settings/clock_settings.cpp", 'return on ? (*on ? "1" : "0") : "";', 'return on ? (*on ? "1" : "0") : "0";', None),
    ("settings/clock_settings.cpp", "return fontSize < kLargestFontSize ? fontSize : kLargestFontSize;",
     "return fontSize;", None),
    ("settings/clock_settings.cpp", "(rest == 5 && points % 2 != 0)", "(rest == 5 && points % 2 == 0)", None),
    ("settings/ini_text.cpp", "c == 0x1A || c == ' '", "c == ' '", None),
    ("settings/ini_text.cpp", "c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c", "c", None),
    ("settings/ini_text.cpp", "bigEndian ? first << 8 | second : second << 8 | first",
     "bigEndian ? second << 8 | first : first << 8 | second", None),
    ("settings/ini_text.cpp", "lead >= 0xC2 && lead <= 0xF4", "lead >= 0xC0 && lead <= 0xF4", None),
    ("settings/ini_text.cpp", "section = {true, i + 1, lines.size()};", "section = {true, i, lines.size()};", None),
    ("settings/ini_text.cpp", "if (lines[i].end.empty()) {", "if (!lines[i].end.empty()) {", None),
    ("taskbar/colours.cpp", "shade * shade < 1.05 * 0.05", "shade * shade > 1.05 * 0.05", None),
    ("taskbar/colours.cpp", "seen.lightTheme ? 0xEEEEEE : 0x202020", "seen.lightTheme ? 0x202020 : 0xEEEEEE", None),
    ("startup/run_value.cpp", "value.front() == L'\"'", "value.front() == L'\\''", None),
    # the placement
    ("taskbar/placement.cpp", "const int height = scale.caption - scale.Px(5);",
     "const int height = scale.caption - scale.Px(4);", None),
    ("taskbar/placement.cpp", "thickness - 2 * scale.Px(kStackMargin)", "thickness - scale.Px(kStackMargin)", None),
    ("taskbar/placement.cpp", "return cells > 1 ? cells - 1 : 0;", "return cells > 1 ? cells : 0;", None),
    ("taskbar/placement.cpp", "trayRight - clockWidth - tickerWidth + 1", "trayRight - clockWidth - tickerWidth", None),
    ("taskbar/placement.cpp", "return (trayHeight - clockHeight) / rowHeight;",
     "return (trayHeight - clockHeight) / rowHeight + 1;", None),
    ("taskbar/placement.cpp", "kBaseDpi / 2 : -kBaseDpi / 2", "0 : 0", None),
    ("taskbar/placement.cpp", "return IsHorizontal(edge) && edge == lastEdge;", "return IsHorizontal(edge);", None),
    ("taskbar/placement.cpp", "return now.edge != last.edge ? PollAction::kPlaceTopLeft : PollAction::kNothing;",
     "return PollAction::kNothing;", None),
    ("menu/menu.cpp", "settings.borders = !shownEdge;", "settings.borders = shownEdge;", None),
    ("menu/menu.cpp", "      return !(settings.*entry.option);", "      return settings.*entry.option;", None),
    ("trace/trace_text.cpp", "log.size() - most - 1", "log.size() - most", None),
    # clepsydrium-print and its POSIX parts
    ("tools/options.cpp", "t.hour > 23", "t.hour > 24", None),
    ("tools/options.cpp", "if (shape.follow && o.haveTime) {", "if (false) {", None),
    ("tools/line.cpp", "} else if (byte < 0x20) {", "} else if (byte < 0x10) {", None),
    ("tools/settings_file.cpp", 'if (config != nullptr && config[0] == \'/\') {', "if (config != nullptr) {", None),
    ("posix/ini_file.cpp", "if (n < 0 && errno == EINTR) {", "if (n < 0) {", None),
    # the Windows program
    ("windows/ticker_window.cpp", "MF_CHECKED : MF_UNCHECKED", "MF_UNCHECKED : MF_CHECKED", ["settings"]),
    ("windows/program.cpp", "Change(ApplyCommand(store_.Settings(), id, tickers_.ShownEdge()), entry->keys);",
     "Change(ApplyCommand(store_.Settings(), id, tickers_.ShownEdge()), 0);", ["settings"]),
    ("windows/settings_store.cpp", "unsaved_ |= keys;", "unsaved_ = keys;", ["unsaved"]),
    ("windows/trace.cpp", 'lstrcmpW(on, L"1") == 0', 'lstrcmpW(on, L"0") == 0', ["unsaved"]),
    ("windows/session_window.cpp", "      owner_.OnTaskbarCreated();\n", "", ["exit"]),
    ("windows/theme_colours.cpp", "(value & 0x80000000u) != 0", "(value & 0x80000000u) == 0", ["settings"]),
    ("windows/tray_windows.cpp", "if (shell != 0 && ProcessOf(bar) != shell) {", "if (false) {", ["lookalike"]),
    ("windows/tray_windows.cpp", "if (ProcessOf(bar) == shell) {", "if (true) {", ["lookalike"]),
    ("windows/tickers.cpp", "if (docked.ticker.HasBorder() != scheme.edge) {", "if (false) {", ["settings"]),
    ("windows/tickers.cpp", "const bool serve = settings_.everyTaskbar && docked_.front()->taskbar;",
     "const bool serve = docked_.front()->taskbar.has_value();", ["monitors"]),
    ("windows/taskbar.cpp", "if (unchangedLastPoll_ && snapshot == snapshot_) {", "if (unchangedLastPoll_) {",
     ["vertical"]),
    ("windows/ticker_face.cpp", "if (FontMetrics().tmHeight > height) {", "if (false) {", ["dialogs"]),
    ("windows/calendar_window.cpp", "(day[0] - '0' + 1) % 7", "(day[0] - '0') % 7", ["calendar"]),
    ("windows/run_entry.cpp", "run->type != REG_SZ && run->type != REG_EXPAND_SZ", "run->type != REG_SZ",
     ["installed"]),
    ("windows/metrics.cpp", "kBaseDpi", "kBaseDpi + 1", ["scales"]),
    ("windows/shell_wait.cpp", "if (!ShellComing()) {\n        PostQuitMessage(0);",
     "if (ShellComing()) {\n        PostQuitMessage(0);", ["hung_shell"]),
    # the settings' keys and the face's second, after the first count
    ("settings/clock_settings.cpp", '{"RomanYear", &S::romanYear},', '{"RomanYear", &S::romanFeasts},', None),
    ("settings/clock_settings.cpp", '{"FontItalic", &S::fontItalic},', '{"FontItalic", &S::fontBold},', None),
    ("clock/roman.cpp", "now.minute == minute_ && now.second == second_", "now.minute == minute_", None),
]


def run(command, **kw):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw).returncode


def failing(command):
    """The tests ctest names as failed; none when all pass."""
    out = subprocess.run(command, cwd=ROOT, capture_output=True, text=True, errors="replace", timeout=900).stdout
    return [line.split(" - ", 1)[1].split(" (")[0] for line in out.split("The following tests FAILED:")[-1].splitlines()
            if " - " in line] if "The following tests FAILED:" in out else []


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--only", choices=("linux", "windows"))
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--from", type=int, default=1, dest="first", help="start at this fault's number")
    options = parser.parse_args()
    faults = [f for f in FAULTS if f[1] != f[2] and (not options.only or (f[3] is None) == (options.only == "linux"))]
    if options.list:
        for path, old, new, scenarios in faults:
            found = open(os.path.join(ROOT, "src", path)).read().count(old)
            print(f"{found} {path}: {old!r} -> {new!r}" + (f" [{', '.join(scenarios)}]" if scenarios else ""))
        return 0
    caught, rows = 0, []
    for number, (path, old, new, scenarios) in enumerate(faults, 1):
        if number < options.first:
            continue
        full = os.path.join(ROOT, "src", path)
        original = open(full).read()
        if original.count(old) != 1:
            print(f"{number}: {path}: {old!r} found {original.count(old)} times", file=sys.stderr)
            return 2
        start = time.monotonic()
        try:
            open(full, "w").write(original.replace(old, new))
            preset = "win64" if scenarios else "linux"
            if run(["cmake", "--build", "--preset", preset]) != 0:
                verdict = "caught (build)"
            else:
                test = ["ctest", "--preset", preset, "--timeout", "200"] + (["-R", "^e2e_(" + "|".join(scenarios) + ")$"] if scenarios else [])
                failed = failing(test)
                verdict = "caught by " + ", ".join(failed) if failed else "survived"
        finally:
            open(full, "w").write(original)
        caught += verdict.startswith("caught")
        rows.append(f"{number:3} {time.monotonic() - start:4.0f} s  {path}: {old!r} -> {new!r}: {verdict}")
        print(rows[-1], flush=True)
    print(f"caught {caught} of {len(faults)}")
    # The tree's own build again, for whatever runs next.
    run(["cmake", "--build", "--preset", "linux"]), run(["cmake", "--build", "--preset", "win64"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
