#!/usr/bin/env bash
# Soak run of online play: tervanne-serveur and ten robot clients on
# 127.0.0.2 to 127.0.0.11 (one address each) sending 20 poses a second each. Reports the poses of the others
# that each robot missed or got late (more than 150 ms after they left), the
# server's CPU time, and every process's resident memory at the start and end.
# Usage: scripts/soak.sh [seconds=600] [port=37990] [build dir=build/native]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
port="${2:-37990}"
build="${3:-$root/build/native}"
server="$build/bin/tervanne-serveur"
bot="$(find "$build" -name soak_bot -type f -perm -u+x | head -n 1)"
[ -x "$server" ] && [ -n "$bot" ] || { echo "build first: scripts/build.sh native"; exit 1; }
out="$(mktemp -d)"
trap 'kill $server_pid 2>/dev/null; rm -rf "$out"' EXIT

rss() { awk '/VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null || echo "?"; }
cpu() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

"$server" "$port" >"$out/server.log" 2>&1 &
server_pid=$!
sleep 0.3
epoch=$(date +%s.%N)
pids=()
for i in $(seq 0 9); do
  "$bot" "$port" "$seconds" "$epoch" "127.0.0.$((i + 2))" >"$out/bot$i.txt" 2>&1 &
  pids+=($!)
done
sleep 2
cpu_start=$(cpu $server_pid)
declare -A rss_start
for p in $server_pid "${pids[@]}"; do rss_start[$p]=$(rss $p); done
sleep "$(awk -v s="$seconds" 'BEGIN { print (s > 3.5 ? s - 3.5 : 0) }')"
cpu_end=$(cpu $server_pid)
declare -A rss_end
for p in $server_pid "${pids[@]}"; do rss_end[$p]=$(rss $p); done
status=0
for p in "${pids[@]}"; do wait "$p" || status=1; done
hz=$(getconf CLK_TCK)

echo "Soak : $seconds s, 10 robots, 20 poses/s chacun, port $port"
awk '{s+=$4; r+=$6; m+=$8; l+=$10; if ($12 != 9) few++}
     END { printf "poses envoyées %d, reçues par les autres %d, jamais reçues (perdues ou remplacées par une plus récente dans le même envoi de 50 ms) %d (%.2f %%), en retard %d (%.2f %%)\n",
           s, r, m, (r + m) ? 100 * m / (r + m) : 0, l, r ? 100 * l / r : 0;
           if (few) { print few " robot(s) sans les neuf autres"; exit 1 } }' "$out"/bot*.txt || status=1
awk -v a="$cpu_start" -v b="$cpu_end" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "serveur : %.2f ms de CPU par seconde\n", 1000 * (b - a) / hz / (s - 3.5 > 0 ? s - 3.5 : 1) }'
echo "mémoire résidente (Kio), début -> fin :"
echo "  serveur ${rss_start[$server_pid]} -> ${rss_end[$server_pid]}"
i=0
for p in "${pids[@]}"; do echo "  robot $i ${rss_start[$p]} -> ${rss_end[$p]}"; i=$((i + 1)); done
grep -c "arrivé" "$out/server.log" | xargs echo "arrivées dans le journal du serveur :"
exit $status
