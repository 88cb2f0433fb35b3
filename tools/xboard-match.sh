#!/usr/bin/env bash
# Plays tarnvik against Fairy-Max inside the real xboard GUI (its own match
# mode, no window: a virtual X display), once at a clock time control and once
# at a fixed time per move, saves the games and summarises the results and any
# incident: illegal moves, protocol errors, crashes, hangs and time losses.
# Not part of the tests; it installs Debian packages when they are missing.
#
# usage: tools/xboard-match.sh [-n GAMES] [-tc M:SS] [-inc SECONDS] [-st SECONDS]
#                              [-o DIR] [ENGINE]
#   -n    games per match (default 10)
#   -tc   clock time control (default 1:00)
#   -inc  increment per move in seconds (default 1); -1 means 40 moves per period
#   -st   whole seconds per move of the fixed-time match (default 1)
#   -o    directory for the games and logs (default: a new one under /tmp)
#   ENGINE the tarnvik executable (default: build/tarnvik of this checkout)
set -euo pipefail

games=10 tc=1:00 inc=1 st=1 out=""
root=$(cd "$(dirname "$0")/.." && pwd)
engine="$root/build/tarnvik"
while [ $# -gt 0 ]; do
  case "$1" in
    -n) games=$2; shift 2 ;;
    -tc) tc=$2; shift 2 ;;
    -inc) inc=$2; shift 2 ;;
    -st) st=$2; shift 2 ;;
    -o) out=$2; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) engine=$1; shift ;;
  esac
done

# The GUI, the virtual display and the opponent come from Debian.
need=()
command -v xvfb-run >/dev/null 2>&1 || need+=(xvfb xauth)
[ -x /usr/games/xboard ] || command -v xboard >/dev/null 2>&1 || need+=(xboard)
[ -x /usr/games/fairymax ] || command -v fairymax >/dev/null 2>&1 || need+=(fairymax)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${need[@]}"
fi
export PATH="$PATH:/usr/games"

engine=$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")
[ -x "$engine" ] || { echo "no engine at $engine (build it first)" >&2; exit 1; }
[ -n "$out" ] || out=$(mktemp -d /tmp/tarnvik-match-XXXXXX)
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The engine runs from a copy of its directory, so what it learns during the
# match stays out of the build; it is given by full path to find its files.
mkdir -p "$out/engine"
cp "$engine" "$out/engine/tarnvik"
for data in tarnvik.cfg tarnvik.bk; do
  [ -f "$(dirname "$engine")/$data" ] && cp "$(dirname "$engine")/$data" "$out/engine/"
done
rm -f "$out/engine/tarnvik.lrn"

# Seconds from an xboard time text, M or M:SS.
seconds() { echo "$1" | awk -F: '{ print ($1 * 60) + ($2 == "" ? 0 : $2) }'; }

# One match: name, the longest a game may take in seconds, then xboard's time
# options. xboard runs in its own process group, so that it, its display and
# the engines can be ended together when it lingers after the match or hangs.
play() {
  local name=$1 perGame=$2; shift 2
  local log="$out/$name.log" limit=$((games * perGame + 60)) waited=0
  echo "=== $name: $games games, xboard $*"
  rm -f "$out/$name.pgn" "$out/$name.debug"
  (cd "$out" && exec setsid xvfb-run -a xboard -noGUI -xponder -autoCallFlag true \
      -matchGames "$games" \
      -fcp "$out/engine/tarnvik" -fd "$out/engine" \
      -scp fairymax \
      "$@" -saveGameFile "$out/$name.pgn" \
      -debug -nameOfDebugFile "$out/$name.debug" >"$log" 2>&1) &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if grep -q 'final score' "$log" 2>/dev/null; then
      # The score is shown; give xboard a moment to end on its own.
      sleep 5
      break
    fi
    if [ "$waited" -ge "$limit" ]; then
      echo "HANG: the match did not finish within ${limit}s"
      break
    fi
    sleep 2
    waited=$((waited + 2))
  done
  kill -TERM -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  summarise "$name"
}

# One line per game (tarnvik's colour, result, how it ended), the score from
# tarnvik's side, and the incidents: every game end that is neither a mate, a
# draw by the rules, a resignation nor a loss on time by the opponent, and the
# complaints xboard logged.
summarise() {
  local pgn="$out/$1.pgn"
  [ -f "$pgn" ] || { echo "no games saved ($out/$1.log)"; return; }
  awk 'BEGIN { RS = "" }
    /^\[/ { white = ($0 ~ /\[White "[^"]*[Tt]arnvik/); next }
    {
      text = $0; gsub(/\n/, " ", text)
      result = text; sub(/.* /, "", result)
      end = ""
      if (match(text, /\{[^}]*\} *[^ ]+ *$/)) { end = substr(text, RSTART, RLENGTH); sub(/\} *[^ ]+ *$/, "}", end) }
      n++
      colour = white ? "white" : "black"
      if (result == "1/2-1/2") { score += 0.5; draws++ }
      else if ((result == "1-0" && white) || (result == "0-1" && !white)) { score += 1; wins++ }
      else if (result == "1-0" || result == "0-1") losses++
      else other++
      printf "  game %2d  tarnvik %s  %-7s %s\n", n, colour, result, end
      lost = (result == "1-0" && !white) || (result == "0-1" && white)
      if (end ~ /[Ii]llegal|[Ff]alse|crash|exit|[Dd]isconnect|unexpected|[Ss]tall|abort/ ||
          (lost && end ~ /on time/) || (result != "1-0" && result != "0-1" && result != "1/2-1/2"))
        incidents = incidents sprintf("  game %d: %s %s\n", n, result, end)
    }
    END {
      printf "games %d: tarnvik +%d -%d =%d, score %.1f of %d\n", n, wins, losses, draws, score, n
      printf "incidents:%s\n", incidents == "" ? " none in the games" : "\n" incidents
    }' "$pgn"
  grep -i -E 'illegal|error|not respond|stall' "$out/$1.log" | sed 's/^/  log: /' || true
}

# Generous bounds: five clock periods or 200 moves of increment per side, and
# 200 moves per side at the fixed time.
tcSeconds=$(seconds "$tc")
clockGame=$(awk -v t="$tcSeconds" -v i="$inc" 'BEGIN { if (i < 0) i = 0; print int(2 * (5 * t + 200 * i) + 60) }')
fixedGame=$((2 * 200 * st + 60))
play clock "$clockGame" -tc "$tc" -inc "$inc"
# xboard reads the time per move as minutes[:seconds].
play fixed "$fixedGame" -st "$((st / 60)):$(printf %02d $((st % 60)))"
echo "games and logs in $out"
