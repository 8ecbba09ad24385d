#!/usr/bin/env bash
# namitra-cli renaming COUNT files on tmpfs, side by side with perl rename, mmv and a bare
# renameat2 loop doing the same renames (f000000.dat ... to photo000000.dat ...), each timed as a
# whole process.
#
#   cli_rename_bench [COUNT...]        default: 10000 100000
#   REPETITIONS=N (default 7)          runs per tool and count; median and fastest are reported
#   BENCH_ROOT=DIR (default /dev/shm)  where the files are made; it should be a tmpfs
#
# Two times are taken of every run. "process" is what process_timer measures: from starting the
# tool's process, its argument list ready, to its exit. "with shell" adds the shell's work of
# expanding the list of COUNT names into that argument list, which bare, namitra-cli and perl
# rename pay and mmv (which reads the folder itself) does not. Ratios are to the bare loop's
# median or fastest time.
#
# Every run gets a folder of its own, made just before the timing starts and removed after it, so
# that no run works in a folder that earlier runs filled and emptied, and the freeing of a removed
# folder has settled before the next folder is made. The runs of the tools take turns so that a
# slow moment of a shared machine does not fall on one tool alone; on such a machine, run the
# script under "nice -n -15" (as root) to keep other work from the measured processes. A peer
# that is not installed (Debian packages rename and mmv) is skipped with a message. Every run is
# checked: afterwards the folder holds exactly the expected new names.
set -euo pipefail

cli="@NAMITRA_CLI@"
bare="@BARE_RENAME_LOOP@"
timer="@PROCESS_TIMER@"
repetitions=${REPETITIONS:-7}
counts=("$@")
[[ ${#counts[@]} -gt 0 ]] || counts=(10000 100000)
bench_root=${BENCH_ROOT:-/dev/shm}

# 100,000 names as arguments need more than the default 8 MB stack for the argument list.
ulimit -s unlimited 2>/dev/null || ulimit -s 65536 2>/dev/null || true

root=$(mktemp -d "$bench_root/namitra-cli-bench-XXXXXX")
trap 'cd /; rm -rf -- "$root"' EXIT
mkdir "$root/data"
file_system=$(stat -f -c %T "$root")
[[ $file_system == tmpfs ]] || echo "note: $root is on $file_system, not on tmpfs" >&2

perl_rename=""
if command -v file-rename >/dev/null; then perl_rename=$(command -v file-rename)
elif rename --version 2>/dev/null | grep -q 'File::Rename'; then perl_rename=$(command -v rename)
fi
mmv_tool=$(command -v mmv || true)

tools=(bare namitra-cli)
if [[ -n "$perl_rename" ]]; then tools+=(perl-rename); else echo "perl rename is not installed (Debian package rename): skipped" >&2; fi
if [[ -n "$mmv_tool" ]]; then tools+=(mmv); else echo "mmv is not installed (Debian package mmv): skipped" >&2; fi

# Runs one tool over the files of the working folder, its names in the array `files`, under
# the timer, which appends the process time to the file $1.
run_tool() {
  local times_file=$1
  case "$2" in
    bare) "$timer" "$times_file" "$bare" 0 6 photo "${files[@]}" ;;
    namitra-cli) "$timer" "$times_file" "$cli" --execute --data-dir "$root/data" --start 0 --digits 6 \
                   --format 'photo%NUM%.%F_EXT%' -- "${files[@]}" ;;
    perl-rename) "$timer" "$times_file" "$perl_rename" 's/^f/photo/' -- "${files[@]}" ;;
    mmv) "$timer" "$times_file" "$mmv_tool" 'f*.dat' 'photo#1.dat' ;;
  esac
}

# Microseconds since the epoch, without starting a process.
now_us() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }

# The median and the fastest of the numbers in the file $1, and the ratios of both to $2 and $3.
summary() {
  sort -n "$1" | awk -v bm="$2" -v bl="$3" '{ v[NR] = $1 } END {
    m = v[int((NR + 1) / 2)]; printf "%9.4f %9.4f %7.2fx %7.2fx", m / 1e6, v[1] / 1e6, m / bm, v[1] / bl }'
}
median_of() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
fastest_of() { sort -n "$1" | head -1; }

echo "files on $file_system ($root), $repetitions runs per tool and count; times in seconds,"
echo "ratios to the bare loop (median to median, fastest to fastest)"
printf '%-12s %7s | %-38s | %s\n' "" "" "process" "with shell"
printf '%-12s %7s | %9s %9s %8s %8s | %9s %9s %8s %8s\n' tool files median fastest ratio ratio median fastest ratio ratio
for count in "${counts[@]}"; do
  mapfile -t files < <(printf 'f%06d.dat\n' $(seq 0 $((count - 1))))
  expected=$(printf 'photo%06d.dat\n' $(seq 0 $((count - 1))))
  for tool in "${tools[@]}"; do : >"$root/process-$tool"; : >"$root/shell-$tool"; done
  for ((r = 0; r < repetitions; ++r)); do
    for tool in "${tools[@]}"; do
      work="$root/work-$tool-$r"
      sleep 0.2  # the freeing of the folder removed last settles before this one is made
      mkdir "$work"
      cd "$work"
      "$bare" --create "$count"
      start=$(now_us)
      run_tool "$root/process-$tool" "$tool" >"$root/output"
      end=$(now_us)
      echo $((end - start)) >>"$root/shell-$tool"
      if [[ "$(ls -f | grep -v '^\.\.\?$' | sort)" != "$expected" ]]; then
        echo "$tool did not leave exactly the expected $count names" >&2
        exit 1
      fi
      cd "$root"
      rm -rf -- "$work"
    done
  done
  for tool in "${tools[@]}"; do
    printf '%-12s %7d | %s | %s\n' "$tool" "$count" \
      "$(summary "$root/process-$tool" "$(median_of "$root/process-bare")" "$(fastest_of "$root/process-bare")")" \
      "$(summary "$root/shell-$tool" "$(median_of "$root/shell-bare")" "$(fastest_of "$root/shell-bare")")"
  done
done
