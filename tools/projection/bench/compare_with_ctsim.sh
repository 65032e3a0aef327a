#!/usr/bin/env bash
# Times raysum and reconstruct at the default sizes (256 x 256 image, 256
# bins, 256 angles) side by side with a filtered back projection of the same
# size by Debian's CT simulator (ctsimtext pjrec, package ctsim), in rounds
# that alternate the programs, and reports the best and the median wall time
# and the peak memory of each. The simulator runs threads, which lose much
# time on a busy machine; it is also timed held to one core ("peer_1core"),
# and our single-threaded tools are compared with the faster of the two.
# With --large it also runs raysum and reconstruct at 1024 x 1024 with 1024
# bins and 1024 angles, side by side with the simulator's FFT-filtered
# reconstruction of the same size on the same cores, reconstruct both on all
# the cores (with its user/wall time ratio) and on one thread
# (OMP_NUM_THREADS=1).
#
#   tools/projection/bench/compare_with_ctsim.sh [rounds] [--large]
set -euo pipefail
cd "$(dirname "$0")/../../.."
bin="$PWD/build/bin"
rounds=7
large=no
for arg in "$@"; do
  case "$arg" in
    --large) large=yes ;;
    *) rounds="$arg" ;;
  esac
done
for tool in oval_draw raysum reconstruct; do
  [ -x "$bin/$tool" ] || { echo "build the tools first (scripts/build)" >&2; exit 1; }
done
command -v ctsimtext >/dev/null || { echo "ctsimtext is missing: apt-get install ctsim" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing: apt-get install time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$bin/oval_draw" < <(printf 'xdisk_1.img\n\n\n\n\n0.6\n0.6\n') > /dev/null
"$bin/raysum" < /dev/null > /dev/null 2>&1
cp xdisk_1.prj xdisk_9.prj
ctsimtext phm2pj peer.pj 256 256 --phantom shepp-logan

# run NAME COMMAND... : one timed run; appends "seconds kilobytes" to NAME.times
run() {
  local name=$1; shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f "%M" -o "$name.mem" "$@" < "$name.answers" > /dev/null 2>&1
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(cat "$name.mem")" >> "$name.times"
}
: > peer.answers
: > peer_1core.answers
: > raysum.answers
: > reconstruct.answers
for ((i = 0; i < rounds; ++i)); do
  run peer ctsimtext pjrec peer.pj peer.if 256 256
  run peer_1core taskset -c 0 ctsimtext pjrec peer.pj peer.if 256 256
  run raysum "$bin/raysum"
  run reconstruct "$bin/reconstruct"
done

# summary NAME: best and median seconds, peak kilobytes
summary() {
  sort -n "$1.times" | awk -v name="$1" '
    { t[NR] = $1; if ($2 > mem) mem = $2 }
    END { printf "%-12s best %.3f s  median %.3f s  peak %d KiB\n", name, t[1] / 1e6, t[int((NR + 1) / 2)] / 1e6, mem }'
}
echo "default sizes, $rounds rounds (wall time of the whole program, machine load included):"
summary peer
summary peer_1core
summary raysum
summary reconstruct
best() { sort -n "$1.times" | head -1 | cut -d' ' -f1; }
median() { sort -n "$1.times" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
faster() { if [ "$1" -lt "$2" ]; then echo "$1"; else echo "$2"; fi; }
peer_best=$(faster "$(best peer)" "$(best peer_1core)")
peer_median=$(faster "$(median peer)" "$(median peer_1core)")
for tool in raysum reconstruct; do
  awk -v a="$(best "$tool")" -v b="$peer_best" -v c="$(median "$tool")" -v d="$peer_median" -v n="$tool" \
    'BEGIN { printf "%-12s / peer: best %.2f, median %.2f\n", n, a / b, c / d }'
done

if [ "$large" = yes ]; then
  "$bin/oval_draw" < <(printf 'big.img\n1024\n1024\n0\n0\n0.6\n0.6\n') > /dev/null
  printf 'big.img\n1024\n1024\n0.01953125\nbig.prj\n1024\n1024\n' > large_raysum.answers
  printf 'big.prj\n1024\n1024\nbig_fbp.img\n1024\n1024\n0.01953125\n' > large_reconstruct.answers
  cp large_reconstruct.answers large_reconstruct_1thread.answers
  : > large_peer.answers
  ctsimtext phm2pj big.pj 1024 1024 --phantom shepp-logan
  # runtimes NAME COMMAND...: one run, appends "wall user" seconds to NAME.cpu
  runtimes() {
    local name=$1; shift
    /usr/bin/time -f "%e %U" -o "$name.one" "$@" < "$name.answers" > /dev/null 2>&1
    cat "$name.one" >> "$name.cpu"
  }
  large_rounds=$(( rounds < 3 ? rounds : 3 ))
  for ((i = 0; i < large_rounds; ++i)); do
    run large_peer ctsimtext pjrec big.pj big.if 1024 1024 --filter-method fft
    run large_raysum "$bin/raysum"
    run large_reconstruct "$bin/reconstruct"
    runtimes large_reconstruct "$bin/reconstruct"
    OMP_NUM_THREADS=1 run large_reconstruct_1thread "$bin/reconstruct"
  done
  echo "1024 x 1024, 1024 bins, 1024 angles, $large_rounds rounds, $(nproc) cores:"
  summary large_peer
  summary large_raysum
  summary large_reconstruct
  summary large_reconstruct_1thread
  awk -v a="$(best large_reconstruct)" -v b="$(best large_peer)" -v c="$(median large_reconstruct)" \
      -v d="$(median large_peer)" 'BEGIN { printf "reconstruct  / peer (fft): best %.2f, median %.2f\n", a / b, c / d }'
  sort -n large_reconstruct.cpu | awk '{ w[NR] = $1; u[NR] = $2 }
    END { m = int((NR + 1) / 2); printf "reconstruct  user/wall (median run): %.2f\n", u[m] / w[m] }'
  ls -l big.prj big_fbp.img | awk '{ print "  " $9 ": " $5 " bytes" }'
fi
