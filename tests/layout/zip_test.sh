#!/usr/bin/env bash
# zip_test.sh BUILD-DIR PACKAGE-NAME EXE: runs cpack, unzips the zip and checks
# it; the installer made beside it is tried by the e2e scenario "installed".
set -euo pipefail
build=$1 name=$2 exe=$3
cd "$build"
rm -f "package/$name.zip" "package/$name-setup.exe"
cpack --config CPackConfig.cmake >/dev/null
zip="package/$name.zip"
[ -f "$zip" ] || { echo "no $zip"; exit 1; }
[ -f "package/$name-setup.exe" ] || { echo "no package/$name-setup.exe"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$build/$zip")
listing=$(cd "$work" && find . -type f | sort)
want=$(printf './%s/%s\n' "$name" Clepsydrium.exe "$name" LICENSE "$name" README.txt | sort)
if [ "$listing" != "$want" ]; then
  printf 'zip holds:\n%s\nwant:\n%s\n' "$listing" "$want"
  exit 1
fi
dir=$work/$name
cmp -s "$dir/Clepsydrium.exe" "$exe" || { echo "exe differs"; exit 1; }
grep -q 'MIT License' "$dir/LICENSE" || { echo "LICENSE is not MIT"; exit 1; }
grep -q '"Start with' "$dir/README.txt" || { echo "README.txt does not tell of Start with Windows"; exit 1; }
[ "$(grep -c $'\r$' "$dir/README.txt")" = "$(wc -l <"$dir/README.txt")" ] || { echo "README.txt is not CRLF"; exit 1; }
grep -q '80040002' "$dir/README.txt" || { echo "README.txt does not name the missing-clock error"; exit 1; }
echo "$zip: $(wc -c <"$zip") bytes, exe $(wc -c <"$dir/Clepsydrium.exe") bytes"
