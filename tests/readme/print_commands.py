"""clepsydrium-print's command lines as the README and the man page show them, run as a user's shell or bar runs
them: each example's output as printed there, each status bar's line as the bar reads it, the settings file made as
shown. Any other command line either shows is named in OTHERS with what runs it, so that a new one is not left untried.

usage: print_commands.py CLEPSYDRIUM-PRINT README MAN-PAGE"""

import contextlib, json, os, re, select, signal, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
from driver import clock_text  # noqa: E402

# The README's other command lines, and what runs each.
OTHERS = {
    "scripts/run.sh": "tests/readme/run_commands.py",
    "scripts/test.sh": "CI: .ci/run",
    "cmake --preset linux && cmake --build --preset linux && ctest --preset linux": "scripts/test.sh",
    "cmake --preset win64 && cmake --build --preset win64 && ctest --preset win64": "scripts/test.sh",
    "cp -r tests/fuzz/corpus /tmp/seeds": "the fuzz preset's ctest, from the same seeds",
    "build/fuzz/tests/fuzz/settings_fuzz -max_total_time=600 /tmp/seeds": "the fuzz preset's ctest, 20,000 inputs",
    "scripts/coverage.sh": "scripts/coverage.sh --linux in scripts/test.sh; the Wine half by hand",
    "scripts/coverage.sh --linux": "scripts/test.sh",
    "scripts/soak.sh --minutes 2 --seed 5": "e2e_soak in the win64 suite",
    "scripts/soak.sh --minutes 2 --seed 5 --win32": "e2e_soak in the win32 suite",
    "scripts/soak.sh --minutes 10": "by hand: the same script with a fresh seed",
    "scripts/soak.sh --seed S --steps K": "by hand: a failure's replay, as the short soak's own would print it",
    "scripts/soak.sh --minutes 10 --busy": "by hand: the same script with every core busy",
    "git clone https://github.com/clepsydrium/clepsydrium": "scripts/test-package.sh",
    "cd clepsydrium": "scripts/test-package.sh",
    "cmake -B build/release": "scripts/test-package.sh",
    "cmake --build build/release": "scripts/test-package.sh",
    "cmake --install build/release --strip --prefix ~/.local": "scripts/test-package.sh",
    "cd build/release && cpack -G DEB": "scripts/test-package.sh",
    "sudo apt install ./package/clepsydrium-print_@VERSION@_amd64.deb": "scripts/test-package.sh",
}
failures = []


def fail(message):
    failures.append(message)
    print("FAIL " + message)


def blocks(readme, man):
    """The README's indented blocks, and the man page's examples, as lists of lines."""
    found = [b.split("\n") for b in re.findall(r"(?:^    .*\n)+", readme, re.M)]
    found = [[line[4:] for line in b if line] for b in found]
    for example in re.findall(r"^\.EX\n(.*?)^\.EE", man, re.M | re.S):
        found.append(example.replace("\\-", "-").splitlines())
    return found


def bar_commands(readme):
    """The command each status bar snippet has its bar run: a waybar module's exec, polybar's exec (in a block or in
    the text), i3blocks' command, tmux's #(...)."""
    found = [json.loads(c) for c in re.findall(r'"exec": ("[^"]*")', readme)]
    found += re.findall(r"^    exec = (.*)$", readme, re.M) + re.findall(r"`exec = ([^`]*)`", readme)
    found += re.findall(r"^    command=(.*)$", readme, re.M) + re.findall(r"#\((clepsydrium-print[^)]*)\)", readme)
    return found


def end(process):
    """Ends a command started in a session of its own, and all it started: a kill of the shell alone would leave
    them running."""
    with contextlib.suppress(ProcessLookupError):  # they have all ended
        os.killpg(process.pid, signal.SIGKILL)
    process.wait(timeout=5)


def shell(command, env):
    """The command run as a user's shell runs it."""
    process = subprocess.Popen(["sh", "-c", command], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True, start_new_session=True)
    try:
        out, err = process.communicate(timeout=20)
    finally:
        end(process)
    return subprocess.CompletedProcess(process.args, process.returncode, out, err)


def times_around(started, ended):
    return {clock_text(s).strip() for s in range(int(started) - 1, int(ended) + 2)}


def check_line(command, line, env, started):
    """A bar's line: the time of its moment, and the date as the one-shot command gives it."""
    date = shell("clepsydrium-print --format '{tooltip}'", env).stdout.rstrip("\n")
    text = line
    if "--json" in command:
        record = json.loads(line)
        if record.get("tooltip") != date or record.get("class") != "clepsydrium":
            return f"{record!r}"
        text = record.get("text", "")
    if "{hora}" in command:
        hora = shell("clepsydrium-print --format '{hora}'", env).stdout.rstrip("\n")
        if not text.startswith(hora + "  "):
            return f"{text!r} has not the Roman hour {hora!r} before two blanks"
        text = text[len(hora) + 2:]
    if "{tooltip}" in command:
        if not text.endswith("  " + date):
            return f"{text!r} has not the date {date!r} after two blanks"
        text = text[:-len(date) - 2]
    if text not in times_around(started, time.time()):
        return f"{text!r} is not the time"
    return None


def check_bar(command, env):
    """A bar runs the command in a shell and reads its lines: a following one gives one at once and the next within
    about a second; a one-shot one (tmux) gives one line and ends."""
    started = time.time()
    process = subprocess.Popen(["sh", "-c", command], env=env, stdout=subprocess.PIPE, text=True, start_new_session=True)
    lines = []
    try:
        for _ in range(2 if "--follow" in command else 1):
            if not select.select([process.stdout], [], [], 2.5)[0]:
                break
            lines.append(process.stdout.readline().rstrip("\n"))
        if "--follow" not in command and (process.wait(timeout=5) != 0 or process.stdout.read()):
            lines.append("(more, or a failure)")
    finally:
        end(process)
    if len(lines) != (2 if "--follow" in command else 1):
        return fail(f"{command}: lines {lines!r}")
    for line in lines:
        if problem := check_line(command, line, env, started):
            return fail(f"{command}: {problem}")
    print(f"ok {command}: {lines[-1]}")


def main(tool, readme_path, man_path):
    version = re.search(r'"Clepsydrium ([0-9.]+)"', open(man_path).read()).group(1)
    readme, man = open(readme_path).read(), open(man_path).read()
    home = tempfile.mkdtemp()
    env = {k: v for k, v in os.environ.items() if k != "XDG_CONFIG_HOME"}
    env.update(HOME=home, PATH=os.path.dirname(os.path.abspath(tool)) + os.pathsep + env["PATH"])
    others = {line.replace("@VERSION@", version) for line in OTHERS}
    shown = set()
    for block in blocks(readme, man):
        if block[0].startswith("$ "):  # an example: the command, then what it prints
            want = "\n".join(block[1:]) + "\n"
            got = shell(block[0][2:], env)
            shown.add(block[0][2:])
            if got.returncode or got.stdout != want:
                fail(f"{block[0]}: exit {got.returncode}, printed\n{got.stdout}{got.stderr}instead of\n{want}")
            else:
                print(f"ok {block[0]}")
        elif block[0].startswith("mkdir -p ~/.config/clepsydrium"):  # a settings file to start from
            made = shell("\n".join(block), env)
            path = os.path.join(home, ".config", "clepsydrium", "Clepsydrium.ini")
            again = shell("clepsydrium-print --settings", env).stdout
            if made.returncode or not os.path.exists(path) or open(path).read() != again:
                fail(f"{block}: exit {made.returncode}, {made.stderr}; the file then read gives\n{again}")
            else:
                print(f"ok {block[-1]}: the settings made are the settings read")
            shown.update(block)
        elif block[0].startswith("clepsydrium-print ["):  # the synopsis, as --help gives it
            usage = shell("clepsydrium-print --help", env).stdout
            forms = " ".join(re.findall(r"clepsydrium-print (.*)", usage))
            for line in block:
                if not all(word in forms for word in re.findall(r"--[a-z-]+", line)):
                    fail(f"the synopsis line {line!r} names an option --help does not give")
            shown.update(block)
        else:
            lines = (re.sub(r"\s+#.*", "", line) for line in block)  # a note after a command is not typed
            shown.update(line for line in lines if re.match(r"(scripts/|cmake|cd |git |sudo |cp |build/)", line))
    for command in bar_commands(readme):
        check_bar(command, env)
    for line in sorted(shown - others):
        if not re.match(r"(\w+=\S+ )*clepsydrium-print", line) and not line.startswith("mkdir"):
            fail(f"the README shows {line!r}: run it here or name what runs it in OTHERS")
    for line in sorted(others - shown):
        fail(f"OTHERS names {line!r}, which the README no longer shows")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
