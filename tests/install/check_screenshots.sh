#!/usr/bin/env bash
# Runs the screenshot tool into a scratch folder (with a scratch TMPDIR for its sample files) and
# checks that it wrote every picture the manual and the README refer to, each a real PNG.
# Usage: check_screenshots.sh NAMITRA_SCREENSHOTS
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
manual="$here/../../docs/manual/namitra.html"
readme="$here/../../README.md"
scratch=$(mktemp -d)
trap 'rm -rf -- "$scratch"' EXIT
mkdir "$scratch/tmp"

TMPDIR="$scratch/tmp" "$tool" "$scratch/out" >/dev/null
referenced=$( (grep -o 'images/[a-z-]*\.png' "$manual"; grep -o 'docs/images/[a-z-]*\.png' "$readme") |
  sed 's|.*/||' | sort -u)
for picture in $referenced; do
  file="$scratch/out/$picture"
  [[ -f "$file" ]] || { echo "FAIL: $picture was not written" >&2; exit 1; }
  [[ $(head -c 8 "$file" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
    { echo "FAIL: $picture is no PNG" >&2; exit 1; }
done
[[ ! -e "$scratch/tmp/namitra-見本" ]] || { echo "FAIL: sample files left behind" >&2; exit 1; }
echo "screenshots: $(echo "$referenced" | wc -l) pictures written"
