#!/usr/bin/env bash
# The Linux command as a user without GoogleTest or Google Benchmark builds it
# (the README's lines), installs it under a prefix and packs it for Debian;
# checks what lands where and that the packaged command runs. Needs no root.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/package-test
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL package: $*" >&2; exit 1; }

rm -rf "$build"
cmake -S "$root" -B "$build" -DCLEP_WERROR=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
[ ! -e "$build/tests" ] || fail "tests built without GoogleTest"

cmake --install "$build" --strip --prefix "$work/prefix" >/dev/null
nm "$work/prefix/bin/clepsydrium-print" 2>&1 | grep -q 'no symbols' || fail "installed command not stripped"
zcat "$work/prefix/share/man/man1/clepsydrium-print.1.gz" | grep -q '^\.TH CLEPSYDRIUM-PRINT 1' ||
  fail "no man page clepsydrium-print(1)"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$build"/package/clepsydrium-print_*.deb)
[ -f "$deb" ] || fail "no .deb in $build/package"
info=$(dpkg-deb -I "$deb")
for field in 'Package: clepsydrium-print' 'Architecture: ' 'Depends: .*libc6' 'Maintainer: ' 'Description: '; do
  grep -q "^ $field" <<<"$info" || fail "control has no '$field':"$'\n'"$info"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sort)
want=$'./usr/bin/clepsydrium-print\n./usr/share/doc/clepsydrium-print/copyright\n./usr/share/man/man1/clepsydrium-print.1.gz'
[ "$contents" = "$want" ] || fail "contents:"$'\n'"$contents"
dpkg-deb -x "$deb" "$work/deb"
out=$(HOME=$work "$work/deb/usr/bin/clepsydrium-print" --at "2024-01-02 14:25:07")
[ "$out" = $'XIV:XXV:VII\na.d. IV Nonas Ianuarias MMXXIV' ] || fail "packaged command printed: $out"
echo "package: $(basename "$deb") holds the command and its man page, and the command runs"
