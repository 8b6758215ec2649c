"""The README's run command and each of its options, typed as a reader types them, without a display: each must print
a screenshot in which every ticker shows the time. Each run's screenshot is kept in
build/readme-shots/; --pictures also copies the ones the README shows into docs/.
"""

import os, re, shutil, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from driver import clock_text, crop_pixels, glyph_runs, read_state, screen_rect, tickers_in  # noqa: E402

# Each run the README shows or names, its tickers, and the picture of it the README shows.
RUNS = [
    ("", 1, "docs/demo.png"),
    ("--win11", 1, None),
    ("--monitors 3", 3, "docs/demo-monitors.png"),
    ("--monitors 3 --win11", 3, "docs/demo-monitors-win11.png"),
    ("--monitors 2 --scales 100,150", 2, "docs/demo-scales.png"),
    ("--theme dark", 1, None),
    ("--win11 --theme dark", 1, "docs/demo-dark.png"),
    ("--theme light", 1, "docs/demo-light.png"),
    ("--theme accent", 1, None),
    ("--calendar", 1, "docs/calendar.png"),
    ("--win32", 1, None),
]


def fail(message):
    sys.exit(f"FAIL {message}")


def readme_runs():
    """The run commands the README shows: in its code blocks, and in its text as `scripts/run.sh ...` or as an
    option of it (`--win11`, "`--theme dark`, `light` or `accent`")."""
    text = open(os.path.join(ROOT, "README.md")).read()
    runs = set(re.findall(r"^    (scripts/run\.sh[^\n#]*?)\s*(?:#.*)?$", text, re.M))
    runs |= set(re.findall(r"`(scripts/run\.sh[^`]*)`", text))
    pictures = set(re.findall(r"\]\((docs/[^)]+\.png)\)", text))
    return {" ".join(r.split()[1:]) for r in runs}, pictures


def run(args, env):
    started = time.time()
    done = subprocess.run(["scripts/run.sh"] + args.split(), cwd=ROOT, env=env, capture_output=True, text=True,
                          timeout=300)
    return done, started, time.time()


def check_shot(args, monitors, done, started, ended):
    name = f"scripts/run.sh {args}".strip()
    if done.returncode != 0:
        fail(f"{name}: exit {done.returncode}\n{done.stderr}")
    shot = done.stdout.strip().splitlines()[-1] if done.stdout.strip() else ""
    if not shot.endswith(".png") or not os.path.isfile(shot) or os.path.getmtime(shot) < started:
        fail(f"{name}: printed no new screenshot: {done.stdout!r}")
    state = read_state(os.path.join(ROOT, "build", "demo", "shell", "state.txt"))
    dpis = [state.get("taskbar_dpi")] + [state.get(f"secondary.{n}.dpi") for n in range(1, 10)]
    tickers = [(t, dpi) for t, dpi in zip(tickers_in(state), dpis) if t and t["visible"]]
    if len(tickers) != monitors:
        fail(f"{name}: {len(tickers)} tickers shown, {monitors} bars")
    # What each ticker shows when the run ended, and the texts of the seconds around the screenshot.
    texts = {clock_text(s).strip() for s in range(int(started), int(ended) + 2)}
    for number, (t, dpi) in enumerate(tickers):
        if t["text"].strip() not in texts:
            fail(f"{name}: ticker {number} shows {t['text']!r}, not a time between {time.ctime(started)} and "
                 f"{time.ctime(ended)}")
        # The screenshot's ink: one run of columns per letter of a time it may have shown, so a ticker that is
        # blank, cut off or drawn over is seen. In MS Sans Serif's larger sizes, which a bar at another scale than
        # the main one gets, X and V touch: there each numeral and colon is a run at least.
        x, y, w, h = screen_rect(t, state)
        _, _, glyphs = glyph_runs(crop_pixels(shot, [x + 2, y + 2, w - 4, h - 4]))
        letters = {len(text) for text in texts}
        if dpi != state.get("taskbar_dpi"):
            least = min(text.count(":") + len([part for part in text.split(":") if part]) for text in texts)
            letters = set(range(least, max(letters) + 1))
        if glyphs not in letters:
            fail(f"{name}: ticker {number} shows {glyphs} letters in {shot}, where {sorted(texts)} have "
                 f"{sorted({len(text) for text in texts})}")
    print(f"ok {name}: {monitors} ticker(s) showing the time in {shot}")
    return shot


def check_refused(name, done, code, pattern):
    lines = done.stderr.strip().splitlines()
    if done.returncode != code or len(lines) != 1 or not re.search(pattern, lines[0]) or done.stdout:
        fail(f"{name}: exit {done.returncode}, stderr {done.stderr!r}, stdout {done.stdout!r}")
    print(f"ok {name}: exit {code}, {lines[0]}")


def main():
    pictures = "--pictures" in sys.argv[1:]
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    shown, readme_pictures = readme_runs()
    missing = shown - {args for args, _, _ in RUNS}
    if missing:
        fail(f"the README shows scripts/run.sh {sorted(missing)}, which this test does not run")
    unmade = readme_pictures - {picture for _, _, picture in RUNS}
    if unmade:
        fail(f"the README shows {sorted(unmade)}, which no run here makes")

    runs_32bit = subprocess.run([os.path.join(ROOT, "scripts", "runs-32bit")], env=env, capture_output=True).returncode
    for args, monitors, picture in RUNS:
        if args == "--win32" and runs_32bit:
            check_refused("scripts/run.sh --win32", run(args, env)[0], 2, r"32-bit exe cannot be shown here")
            continue
        shot = check_shot(args, monitors, *run(args, env))
        kept = os.path.join(ROOT, "build", "readme-shots", (args.replace("--", "").replace(" ", "-") or "run") + ".png")
        os.makedirs(os.path.dirname(kept), exist_ok=True)
        shutil.copy(shot, kept)  # each run's, to look at
        if pictures and picture:
            shutil.copy(shot, os.path.join(ROOT, picture))
    check_refused("scripts/run.sh --win32 (CLEP_NO_32BIT=1)", run("--win32", dict(env, CLEP_NO_32BIT="1"))[0], 2,
                  r"32-bit exe cannot be shown here")
    # A missing value, an unknown option, and scales out of range, malformed or more than the monitors.
    for args in ("--monitors", "--bogus", "--scales 99", "--scales 100,301", "--scales 100,,150", "--scales 150,100"):
        check_refused(f"scripts/run.sh {args}", run(args, env)[0], 2, r"^usage: ")


if __name__ == "__main__":
    main()
