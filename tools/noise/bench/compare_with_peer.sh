#!/usr/bin/env bash
# Times recon_noise_windows and recon_noise_sweep at their defaults against
# five runs of a peer FBP of the same size (Debian's ctsim: a 512-view,
# 512-bin sinogram reconstructed into 512 x 512 with FFT filtering), side by
# side in one run, everything pinned to one CPU. Needs the tools built in
# build/bin and `apt-get install ctsim`.
#
#   tools/noise/bench/compare_with_peer.sh [rounds] [cpu]
set -euo pipefail
cd "$(dirname "$0")/../../.."
rounds=${1:-5}
cpu=${2:-0}
bin=$PWD/build/bin
command -v ctsimtext >/dev/null || { echo "ctsimtext missing: apt-get install ctsim" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ctsimtext phm2pj sino.pj 512 512 --phantom shepp-logan >/dev/null

# Seconds (wall, user) of one command.
seconds() { /usr/bin/time -f "%e %U" -o t.txt taskset -c "$cpu" "$@" >/dev/null 2>&1 </dev/null; cat t.txt; }
peer_five() {
  for _ in 1 2 3 4 5; do seconds ctsimtext pjrec sino.pj out.if 512 512 --filter-method fft; done |
    awk '{ wall += $1; user += $2 } END { print wall, user }'
}

: > times.txt
for r in $(seq "$rounds"); do
  echo "peer $(peer_five)" >> times.txt
  echo "windows $(seconds "$bin/recon_noise_windows")" >> times.txt
  echo "sweep $(seconds "$bin/recon_noise_sweep")" >> times.txt
done
python3 - <<'PY'
import statistics
t = {}
for line in open("times.txt"):
    name, wall, user = line.split()
    t.setdefault(name, []).append((float(wall), float(user)))
def show(name, label):
    walls = [w for w, _ in t[name]]; users = [u for _, u in t[name]]
    print(f"{label:36s} wall min {min(walls):6.3f} s median {statistics.median(walls):6.3f} s"
          f"   user min {min(users):6.3f} s")
    return min(walls)
peer = show("peer", "peer: 5 x ctsimtext pjrec 512/512")
win = show("windows", "recon_noise_windows (defaults)")
swp = show("sweep", "recon_noise_sweep (defaults)")
print(f"windows / five peer runs: {win / peer:.2f} (goal <= 1)")
print(f"sweep / five peer runs:   {swp / peer:.2f} (goal < 0.5)")
PY
