#!/usr/bin/env bash
# namitra-cli renaming COUNT files on tmpfs, side by side with perl rename, mmv and a bare
# renameat2 loop doing the same renames (f000000.dat ... to photo000000.dat ...), each timed as a
# whole process from start to exit.
#
#   cli_rename_bench [COUNT...]        default: 10000 100000
#   REPETITIONS=N (default 7)          runs per tool and count; the median is reported
#
# The files are made again before every run, outside the timing; the runs of the tools take turns
# so that a slow moment of the shared machine does not fall on one tool alone. A peer that is not
# installed (Debian packages rename and mmv) is skipped. Every run is checked: all files carry
# their new names afterwards.
set -euo pipefail

cli="@NAMITRA_CLI@"
bare="@BARE_RENAME_LOOP@"
repetitions=${REPETITIONS:-7}
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(10000 100000)

# 100,000 names as arguments need more than the default 2 MB for the argument list.
ulimit -s unlimited 2>/dev/null || ulimit -s 65536 2>/dev/null || true

root=$(mktemp -d /dev/shm/namitra-cli-bench-XXXXXX)
trap 'rm -rf -- "$root"' EXIT
mkdir "$root/data" "$root/work"
cd "$root/work"

perl_rename=""
if command -v file-rename >/dev/null; then perl_rename=$(command -v file-rename)
elif rename --version 2>/dev/null | grep -q 'File::Rename'; then perl_rename=$(command -v rename)
fi
mmv_tool=$(command -v mmv || true)

tools=(bare namitra-cli)
[[ -n "$perl_rename" ]] && tools+=(perl-rename) || echo "perl rename not installed: skipped" >&2
[[ -n "$mmv_tool" ]] && tools+=(mmv) || echo "mmv not installed: skipped" >&2

# Runs one tool over the files of the working folder; names are in the array `files`.
run_tool() {
  case "$1" in
    bare) "$bare" 0 6 photo "${files[@]}" ;;
    namitra-cli) "$cli" --execute --data-dir "$root/data" --start 0 --digits 6 --format 'photo%NUM%.%F_EXT%' \
                   -- "${files[@]}" ;;
    perl-rename) "$perl_rename" 's/^f/photo/' -- "${files[@]}" ;;
    mmv) "$mmv_tool" 'f*.dat' 'photo#1.dat' ;;
  esac
}

fresh_files() {
  find "$root/work" -mindepth 1 -delete
  "$bare" --create "$1"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-12s %8s %10s %10s %8s\n' tool files median_s min_s ratio
for count in "${counts[@]}"; do
  mapfile -t files < <(printf 'f%06d.dat\n' $(seq 0 $((count - 1))))
  declare -A times=()
  for ((r = 0; r < repetitions; ++r)); do
    for tool in "${tools[@]}"; do
      fresh_files "$count"
      start=$(date +%s%N)
      run_tool "$tool" >/dev/null
      end=$(date +%s%N)
      renamed=$(find . -maxdepth 1 -name 'photo*.dat' | wc -l)
      if [[ $renamed -ne $count ]]; then
        echo "$tool renamed $renamed of $count files" >&2
        exit 1
      fi
      times[$tool]+="$(( (end - start) / 1000 )) "
    done
  done
  bare_median=$(tr ' ' '\n' <<<"${times[bare]}" | grep . | median)
  for tool in "${tools[@]}"; do
    values=$(tr ' ' '\n' <<<"${times[$tool]}" | grep .)
    med=$(median <<<"$values")
    min=$(sort -n <<<"$values" | head -1)
    awk -v t="$tool" -v n="$count" -v m="$med" -v lo="$min" -v b="$bare_median" \
      'BEGIN { printf "%-12s %8d %10.4f %10.4f %7.2fx\n", t, n, m / 1e6, lo / 1e6, m / b }'
  done
  unset times
done
