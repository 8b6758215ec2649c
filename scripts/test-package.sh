#!/usr/bin/env bash
# The Linux command as the README installs it: its install lines run as
# written, in a copy of this checkout (for its `git clone`) with a home of
# their own; then what lands where, the Debian package, and that both the
# installed and the packaged command run. Also that a machine without
# GoogleTest or Google Benchmark builds the command alone. Needs no root.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL package: $*" >&2; exit 1; }

# The README's lines from `git clone` to the Debian package's install.
mapfile -t lines < <(awk '/^    git clone /, /^    sudo apt install / { if (sub(/^    /, "")) print }' \
  "$root/README.md")
[ ${#lines[@]} -ge 7 ] || fail "the README's install lines not found: ${lines[*]}"
export HOME=$work/home
mkdir -p "$HOME"
cd "$work"
for line in "${lines[@]}"; do
  case $line in
    'git clone '*)  # no network here: the checkout's own files stand in for the clone
      mkdir "$(basename "${line##* }")"
      git -C "$root" ls-files -z | (cd "$root" && xargs -0 cp --parents -t "$work/$(basename "${line##* }")") ;;
    'sudo apt install '*)  # not done to this machine: apt only says what it would do
      apt-get install --simulate "${line#sudo apt install }" 2>&1 | grep -q '^Inst clepsydrium-print ' ||
        fail "$line: apt would not install it" ;;
    *) eval "$line" >/dev/null 2>&1 || fail "$line" ;;  # in this shell, so that a cd holds as it does for a reader
  esac
done
deb=$PWD/${lines[-1]##* }

installed=$HOME/.local
nm "$installed/bin/clepsydrium-print" 2>&1 | grep -q 'no symbols' || fail "installed command not stripped"
zcat "$installed/share/man/man1/clepsydrium-print.1.gz" | grep -q '^\.TH CLEPSYDRIUM-PRINT 1' ||
  fail "no man page clepsydrium-print(1)"
[ -f "$deb" ] || fail "no $deb, the README's package"
info=$(dpkg-deb -I "$deb")
for field in 'Package: clepsydrium-print' 'Architecture: ' 'Depends: .*libc6' 'Maintainer: ' 'Description: '; do
  grep -q "^ $field" <<<"$info" || fail "control has no '$field':"$'\n'"$info"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sort)
want=$'./usr/bin/clepsydrium-print\n./usr/share/doc/clepsydrium-print/copyright\n./usr/share/man/man1/clepsydrium-print.1.gz'
[ "$contents" = "$want" ] || fail "contents:"$'\n'"$contents"
dpkg-deb -x "$deb" "$work/deb"
for command in "$installed/bin/clepsydrium-print" "$work/deb/usr/bin/clepsydrium-print"; do
  out=$("$command" --at "2024-01-02 14:25:07")
  [ "$out" = $'XIV:XXV:VII\na.d. IV Nonas Ianuarias MMXXIV' ] || fail "$command printed: $out"
done

bare=$work/bare
cmake -S "$root" -B "$bare" -DCLEP_WERROR=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build "$bare" -j"$(nproc)" >/dev/null
[ ! -e "$bare/tests" ] || fail "tests built without GoogleTest"
echo "package: the README's lines install the command and its man page and make $(basename "$deb"); both run"
