#!/usr/bin/env bash
# Benchmark: the tool's cost must not grow with the volume. Prints, side by
# side, the run time of a check on a 4 KiB volume and on a 1 TiB sparse one,
# the same read done by dd as a baseline, the bytes the tool reads and
# writes on the volume (counted with strace), and peak memory.
#
# Usage, from anywhere: bash bench/run.sh
# Needs cmake, g++, hyperfine, strace, GNU time (/usr/bin/time) and script
# (util-linux). Exits non-zero when the tool moves any byte beyond the one
# trailer block read (and written, on a repair).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
work=$build/volumes

for need in cmake hyperfine strace /usr/bin/time script; do
  command -v "$need" > /dev/null || { echo "bench: $need is not installed" >&2; exit 2; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
cmake --build "$build" --target VolumeSalvager > /dev/null
tool=$build/VolumeSalvager
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# Trailer blocks: the signature broken in its last byte, or present.
sound_block() { printf '\001\002\003\004\252\273\252\273\314\335\314\336'; head -c 2036 /dev/urandom; }
damaged_block() { printf '\001\002\003\004\252\273\252\273\314\335\314\335'; head -c 2036 /dev/urandom; }
put_block_at_end() {  # file size block-function
  truncate -s "$2" "$1"
  "$3" | dd of="$1" bs=2048 oflag=seek_bytes seek=$(($2 - 2048)) conv=notrunc status=none
}
SMALL=4096
HUGE=$((1 << 40))
put_block_at_end small.pgd "$SMALL" sound_block
put_block_at_end huge.pgd "$HUGE" sound_block

# ---- Run time --------------------------------------------------------------
dd_last_block() { echo "dd if=$1 of=/dev/null bs=2048 iflag=skip_bytes skip=$(($2 - 2048)) count=1 status=none"; }
hyperfine -N --warmup 5 --min-runs 50 --export-csv times.csv --style none \
  "$tool small.pgd" "$tool huge.pgd" "$(dd_last_block small.pgd $SMALL)" "$(dd_last_block huge.pgd $HUGE)" \
  > hyperfine.log 2>&1
mean_ms() { awk -F, -v row="$1" 'NR == row + 1 { printf "%.3f", $2 * 1000 }' times.csv; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b / a }'; }

# ---- Bytes moved on the volume ---------------------------------------------
# Sums what read/write calls on the volume's descriptor returned.
bytes_moved() {  # trace-file volume-name
  awk -v name="\"$2\"" '
    $2 ~ /^openat\(/ && index($0, name) { split($0, r, "= "); fd = r[2] + 0 }
    fd != "" && $2 ~ ("^(read|pread64)\\(" fd ",") { split($0, r, "= "); if (r[2] > 0) rd += r[2] }
    fd != "" && $2 ~ ("^(write|pwrite64)\\(" fd ",") { split($0, r, "= "); if (r[2] > 0) wr += r[2] }
    END { printf "%d %d", rd, wr }' "$1"
}
traced="strace -f -e trace=openat,read,write,pread64,pwrite64 -o"
check_bytes() {  # volume
  $traced "$1.trace" "$tool" "$1" > /dev/null
  bytes_moved "$1.trace" "$1"
}
# A repair needs a 'Y' at a terminal: script gives the tool one, and the key
# is typed once the prompt has had time to appear.
repair_bytes() {  # volume
  (sleep 1; printf Y) | script -qfec "$traced $1.trace $tool $1" /dev/null > "$1.out"
  grep -q 'Restoring..Ok.' "$1.out" || { echo "bench: repair of $1 failed" >&2; cat "$1.out" >&2; exit 1; }
  bytes_moved "$1.trace" "$1"
}
read -r check_small_r check_small_w <<< "$(check_bytes small.pgd)"
read -r check_huge_r check_huge_w <<< "$(check_bytes huge.pgd)"
put_block_at_end small-broken.pgd "$SMALL" damaged_block
put_block_at_end huge-broken.pgd "$HUGE" damaged_block
read -r repair_small_r repair_small_w <<< "$(repair_bytes small-broken.pgd)"
read -r repair_huge_r repair_huge_w <<< "$(repair_bytes huge-broken.pgd)"

# ---- Peak memory -----------------------------------------------------------
peak_kib() { /usr/bin/time -f %M -o rss.txt "$@" > /dev/null 2>&1 || true; cat rss.txt; }
rss_small=$(peak_kib "$tool" small.pgd)
rss_huge=$(peak_kib "$tool" huge.pgd)
rss_dd_huge=$(peak_kib dd if=huge.pgd of=/dev/null bs=2048 iflag=skip_bytes skip=$((HUGE - 2048)) count=1 status=none)

t_small=$(mean_ms 1)
t_huge=$(mean_ms 2)
t_dd_small=$(mean_ms 3)
t_dd_huge=$(mean_ms 4)

cat << EOF2
VolumeSalvager benchmark ($(uname -sm), $(nproc) cores)

| | 4 KiB volume | 1 TiB sparse volume | 1 TiB / 4 KiB |
|---|---|---|---|
| VolumeSalvager check, mean time | $t_small ms | $t_huge ms | $(ratio "$t_small" "$t_huge") |
| dd reading the last 2048 bytes, mean time | $t_dd_small ms | $t_dd_huge ms | $(ratio "$t_dd_small" "$t_dd_huge") |
| bytes read / written on the volume, check | $check_small_r / $check_small_w | $check_huge_r / $check_huge_w | |
| bytes read / written on the volume, repair | $repair_small_r / $repair_small_w | $repair_huge_r / $repair_huge_w | |
| peak memory (max RSS), VolumeSalvager | $rss_small KiB | $rss_huge KiB | |
| peak memory (max RSS), dd | | $rss_dd_huge KiB | |
EOF2

status=0
for pair in "check small:$check_small_r $check_small_w:2048 0" "check huge:$check_huge_r $check_huge_w:2048 0" \
            "repair small:$repair_small_r $repair_small_w:2048 2048" "repair huge:$repair_huge_r $repair_huge_w:2048 2048"; do
  IFS=: read -r what got want <<< "$pair"
  if [ "$got" != "$want" ]; then
    echo "bench: $what moved $got bytes (read, written), expected $want" >&2
    status=1
  fi
done
rm -rf "$work"
exit "$status"
