#!/usr/bin/env bash
# The makebackup command under Wine on a host of 500 cards (one JPEG each, about 30 MB)
# against a plain `cp -r` of the same tree and against xcopy alone under Wine, and the
# processor use while the program waits for the back-up script: it tests the marker file
# without pause, and under Wine each test is a request to the Wine server, so the server's
# share is shown beside Tumbledeck.exe's. The Wine server is started persistent and warmed
# up by one untimed back-up, which also puts the tree in the page cache for every side.
#   tools/bench-backup.sh [RUNS]      (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
cards=500

bench_out=build/bench-backup
source tools/bench-wine.sh
marker="$MASTER/saveorig/data/exclude.txt"

# The host's cards: a few noise pictures of card size, each card a copy of one with its
# name put in a JPEG comment segment, so every file is a real JPEG with bytes of its own.
echo "Making $cards cards in $HOST_DATA ..."
python3 - "$HOST_DATA" "$bench_out/noise" "$cards" <<'EOF'
import shutil, subprocess, sys
from pathlib import Path
host, noise, count = Path(sys.argv[1]), Path(sys.argv[2]), int(sys.argv[3])
noise.mkdir(parents=True, exist_ok=True)
bases = []
for seed in range(1, 9):
    path = noise / f"noise{seed}.jpg"
    if not path.exists():
        subprocess.run(["convert", "-seed", str(seed), "-size", "360x504", "plasma:fractal",
                        "-attenuate", "0.6", "+noise", "Gaussian",
                        "-quality", str(86 + seed % 4), str(path)], check=True)
    bases.append(path.read_bytes())
shutil.rmtree(host)
host.mkdir()
total = 0
for n in range(1, count + 1):
    card = f"a{n:04d}"
    text = f"Tumbledeck bench card {card}".encode()
    base = bases[n % len(bases)]
    comment = b"\xff\xfe" + (len(text) + 2).to_bytes(2, "big") + text
    (host / card).mkdir()
    data = base[:2] + comment + base[2:]          # after the start-of-image marker
    (host / card / f"{card}c.jpg").write_bytes(data)
    total += len(data)
print(f"{count} cards, {total / 1e6:.1f} MB, {total / count / 1e3:.0f} kB a card")
EOF
identify "$HOST_DATA/a0001/a0001c.jpg"


# This prefix's Wine server: it works in a folder named after the prefix's device and
# inode. Much of a Wine program's polling is the server's work.
server_dir="server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))"
server=""
for p in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
  case "$(readlink "/proc/$p/cwd")" in */"$server_dir") server=$p ;; esac
done
[ -n "$server" ] || { echo "cannot find the Wine server of $WINEPREFIX" >&2; exit 1; }

ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }
# utime + stime of a process, in clock ticks. The name in field 2 is cut off first.
cpu_ticks() {
  local stat rest
  read -r stat <"/proc/$1/stat" || return 1
  rest=${stat##*) }
  read -r -a f <<<"$rest"
  echo $((f[11] + f[12]))
}

# Busy and total ticks of the whole machine, all cores.
machine_ticks() {
  local label user nice system idle iowait irq softirq steal
  read -r label user nice system idle iowait irq softirq steal _ </proc/stat
  echo "$((user + nice + system + irq + softirq + steal)) $((user + nice + system + idle + iowait + irq + softirq + steal))"
}

# One back-up into an empty saveorig. Prints: total seconds, seconds of the wait, and
# processor seconds over the wait of Tumbledeck.exe and of the Wine server, and the
# machine's busy share of all its cores.
# Wine programs write to files only: a pipe would be held open by Wine's services.
one_backup() {
  rm -rf "$MASTER/saveorig"
  local start t0 t1 c0 c1 s0 s1 m0 m1 end pid
  start=$(now)
  "$wine" "$TUMBLEDECK_EXE" makebackup </dev/null >>"$logs/tumbledeck.out" 2>>"$logs/tumbledeck.err" &
  pid=$!
  # wine64 turns into the Windows process: this pid runs Tumbledeck.exe once it has
  # started, which is long before the marker appears.
  until [ -e "$marker" ]; do
    kill -0 "$pid" 2>/dev/null || { echo "Tumbledeck.exe ended before the back-up" >&2; return 1; }
    sleep 0.01
  done
  t0=$(now)
  grep -qa 'Tumbledeck.exe' "/proc/$pid/cmdline" ||
    { echo "pid $pid is not Tumbledeck.exe: $(tr '\0' ' ' <"/proc/$pid/cmdline")" >&2; return 1; }
  c0=$(cpu_ticks "$pid")
  s0=$(cpu_ticks "$server")
  m0=$(machine_ticks)
  while [ -e "$marker" ]; do sleep 0.02; done
  t1=$(now)
  # The program ends within a timer tick of the marker's deletion; read it before.
  c1=$(cpu_ticks "$pid") || c1=$c0
  s1=$(cpu_ticks "$server")
  m1=$(machine_ticks)
  wait "$pid" || echo "  (exit status $?)" >&2
  end=$(now)
  "$wine" "$wintool" waitprocs --timeout 60 xcopy.exe cmd.exe </dev/null >>"$logs/wintool.out" 2>&1
  if ! diff -rq "$HOST_DATA" "$MASTER/saveorig/data" >"$logs/diff.txt" 2>&1; then
    echo "the back-up differs from the host's data; see $logs/diff.txt" >&2
    return 1
  fi
  awk -v s="$start" -v a="$t0" -v b="$t1" -v e="$end" -v c0="$c0" -v c1="$c1" -v t="$ticks" \
    -v s0="$s0" -v s1="$s1" -v m="$m0 $m1" \
    'BEGIN { split(m, mm, " ")
             printf "%.3f %.3f %.3f %.3f %.3f\n", e - s, b - a, (c1 - c0) / t, (s1 - s0) / t,
                    (mm[3] - mm[1]) / (mm[4] - mm[2]) }'
}

# The same copy by xcopy alone, started from Linux, without Tumbledeck polling beside it.
host_win="C:\\$(echo "${HOST_DATA#"$WINEPREFIX/drive_c/"}" | tr / '\\')"
one_xcopy() {
  local dest=$WINEPREFIX/drive_c/bench-xcopy start end
  rm -rf "$dest"
  mkdir "$dest"
  start=$(now)
  "$wine" xcopy /s /y "$host_win" 'C:\bench-xcopy' </dev/null >>"$logs/xcopy.out" 2>>"$logs/xcopy.err"
  end=$(now)
  diff -rq "$HOST_DATA" "$dest" >"$logs/diff-xcopy.txt" 2>&1 ||
    { echo "xcopy's copy differs; see $logs/diff-xcopy.txt" >&2; return 1; }
  rm -rf "$dest"
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

one_cp() {
  local dest=$bench_out/cp-copy start end
  rm -rf "$dest"
  start=$(now)
  cp -r "$HOST_DATA" "$dest"
  end=$(now)
  rm -rf "$dest"
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

echo "Warming up (one untimed back-up) ..."
one_backup >/dev/null
results=()
for i in $(seq "$runs"); do
  line=$(one_backup)
  read -r total wait busy serv mach <<<"$line"
  cp_s=$(one_cp)
  xc_s=$(one_xcopy)
  results+=("$total $wait $busy $serv $mach $cp_s $xc_s")
  awk -v i="$i" -v t="$total" -v w="$wait" -v b="$busy" -v v="$serv" -v m="$mach" \
      -v c="$cp_s" -v x="$xc_s" 'BEGIN {
    printf "run %d: total %.2f s, back-up %.2f s (total - 5 s), marker present %.2f s; " \
           "while waiting Tumbledeck.exe %.0f%%, Wine server %.0f%% of a core, machine %.0f%% " \
           "busy; cp -r %.3f s; xcopy alone %.2f s\n", i, t, t - 5, w, 100 * b / w,
           100 * v / w, 100 * m, c, x }'
done
printf '%s\n' "${results[@]}" | awk -v cores="$(nproc)" '
  { t += $1; w += $2; b += $3; v += $4; m += $5; c += $6; x += $7; n++ }
  END {
    t /= n; w /= n; b /= n; v /= n; m /= n; c /= n; x /= n
    printf "\nmeans over %d runs:\n", n
    printf "  makebackup total (start to end):         %.2f s\n", t
    printf "  back-up (total - 5 s start-up wait):     %.2f s\n", t - 5
    printf "  marker present (prepare to script end):  %.2f s\n", w
    printf "  xcopy /s /y alone under Wine:            %.2f s\n", x
    printf "  cp -r of the same tree on Linux:         %.3f s\n", c
    printf "  ratio back-up / cp -r:                   %.1f\n", (t - 5) / c
    printf "  ratio back-up / xcopy alone:             %.2f\n", (t - 5) / x
    printf "  processor use while the program waits:   Tumbledeck.exe %.0f%% of one core, " \
           "Wine server %.0f%% of one core, machine %.0f%% of its %d cores\n",
           100 * b / w, 100 * v / w, 100 * m, cores
  }'
