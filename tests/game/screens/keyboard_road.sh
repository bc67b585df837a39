#!/usr/bin/env bash
# Plays the demo's road in the real SDL program on a virtual X server, with
# real X key events: "New game" on "Easy" from the main menu, west and north
# to the old chest (opened with the action key), round the houses and east
# over the village's edge into Thistlewood, then along the wood's path until
# a monster meets the hero, and the fight with it, which must sound. Then
# the program is asked to close, as the desktop's close request does, so that
# it saves the game to resume.
#
#   keyboard_road.sh PROGRAM STATE_DIR OUT_DIR
#
# The game writes into STATE_DIR (its saves land in STATE_DIR/savegame);
# OUT_DIR receives the program's output (game.log), what this script did
# (steps.log), the sound it mixed (audio.raw), the program's own last screen
# (screen.png) and, when ImageMagick's `import` is there, the X screen at the
# milestones.
# Exit status: 0 the road was played and the program ended by itself,
# 77 Xvfb or xdotool is missing, 1 anything else (reason on stderr).
#
# Every leg of the walk ends against a wall, a house or the chest, so a key
# held longer than needed (a slow, busy machine) changes nothing: the holds
# below are about two and a half times what an idle machine needs (the hero
# walks some 60 pixels a second; the longest leg, to the village's edge, is
# 310 pixels).
set -uo pipefail

program=${1:?program} state=${2:?state folder} out=${3:?output folder}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "keyboard_road: $tool is not installed" >&2; exit 77; }
done
mkdir -p "$state" "$out" || exit 1
rm -f "$out"/*.png "$out"/game.log "$out"/steps.log

readonly kDeadline=140          # seconds for the whole road, start to exit
readonly kWindowTitle="Quenlo: Duskmarrow"
game_pid="" xvfb_pid="" display_file="$out/display"

log() { echo "[$SECONDS s] $*" >>"$out/steps.log"; }
fail() {
  log "FAILED: $*"
  echo "keyboard_road: $*" >&2
  exit 1
}

# Ends whatever is still running, on every way out of this script.
cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
    kill -KILL "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill -TERM "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Polls `condition...` every 0.2 s for up to `seconds`; false on time-out or
# past the road's deadline.
wait_until() {
  local seconds=$1
  shift
  local until=$((SECONDS + seconds))
  while ! "$@"; do
    [ "$SECONDS" -ge "$until" ] || [ "$SECONDS" -ge "$kDeadline" ] && return 1
    game_running || return 1
    sleep 0.2
  done
}
game_running() { [ -z "$game_pid" ] || kill -0 "$game_pid" 2>/dev/null; }
file_there() { [ -s "$1" ]; }
audio_bytes() { stat -c %s "$out/audio.raw" 2>/dev/null || echo 0; }
# Whether the sound written since byte $1 holds anything but silence.
sounded_since() {
  local loud
  loud=$(tail -c +$(($1 + 1)) "$out/audio.raw" | tr -d '\000' | head -c 1 | wc -c)
  [ "$loud" -gt 0 ]
}

snapshot() {
  command -v import >/dev/null && import -display "$DISPLAY" -window root "$out/$1.png" 2>/dev/null
  log "screen $1.png"
}

hold() {  # key seconds
  game_running || fail "the game ended early (while about to hold $1)"
  log "hold $1 for $2 s"
  xdotool keydown "$1" && sleep "$2" && xdotool keyup "$1" || fail "xdotool could not press $1"
  sleep 0.3
}

tap() {  # key: pressed long enough to be seen on a busy machine
  hold "$1" 0.15
}

# --- the virtual X server: it picks a free display and names it when ready.
: >"$display_file"
Xvfb -displayfd 3 -screen 0 480x640x24 -nolisten tcp 3>"$display_file" 2>"$out/xvfb.log" &
xvfb_pid=$!
wait_until 20 grep -q '[0-9]' "$display_file" || fail "Xvfb did not start (see xvfb.log)"
export DISPLAY=":$(tr -dc '0-9' <"$display_file")"
log "Xvfb on $DISPLAY"
# On a busy machine the server may name its display before it takes
# clients: wait until one can talk to it.
x_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
wait_until 20 x_answers || fail "Xvfb on $DISPLAY does not answer (see xvfb.log)"

# --- the program, at twice the screen's size, in a real X window whatever
# video driver the caller's environment names (the test suite's is SDL's
# dummy one); it closes itself at the deadline should this script die, and
# never plays sound on the host: SDL's disk driver writes what the real audio
# output mixes into audio.raw, in real time, so the fight can be checked to
# sound.
start_game() {
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" \
    "$program" --state "$state" --screenshot "$out/screen.png" \
    --run-ms $((kDeadline * 1000)) >"$out/game.log" 2>&1 &
  game_pid=$!
}
window=""
find_window() {
  window=$(xdotool search --onlyvisible --name "$kWindowTitle" 2>/dev/null | head -n 1)
  [ -n "$window" ]
}
# A busy machine's X server now and then refuses the program's first
# connection although it answered ours ("x11 not available"): such a start
# is tried again, twice at most; any other early end fails the road.
for attempt in 1 2 3; do
  start_game
  wait_until 30 find_window && break
  game_running && fail "no game window within 30 s (see game.log)"
  grep -q "x11 not available" "$out/game.log" && [ "$attempt" -lt 3 ] ||
    fail "the game ended before its window opened (see game.log)"
  log "the X server refused the program (attempt $attempt); starting it again"
  wait "$game_pid" 2>/dev/null
  sleep 1
done
timeout 10 xdotool windowfocus --sync "$window" || fail "the game window did not take the keyboard focus"
log "window $window"

# The main menu is up once the game has written the new-game file.
wait_until 40 file_there "$state/savegame/newgame.gam" || fail "the main menu did not appear"
sleep 1
snapshot 1-menu
# Menus act on the key's release; the first key only shows the focus.
tap Down      # focus on "New game"
tap Return
sleep 0.5
tap Down      # the difficulty page: focus on "Easy"
tap Return
# The story's first trigger leaves the HUD mode, which saves automatically:
# from then on the hero walks.
wait_until 30 file_there "$state/savegame/save6.dat" || fail "the new game did not start"
sleep 1
tap Return        # turns the story's opening page, which fades out to the map
sleep 1
log "walking"

hold Left 5       # to the village's west wall
hold Up 6         # up to the chest in the corner
tap Return        # the action key opens it
sleep 1
tap Return        # closes the tonic's notice
sleep 0.7
tap Return        # and the gold's
sleep 1
snapshot 2-chest
hold Right 6.5    # along the chest's row to the first house
hold Down 6.5     # down beside it to the next house
hold Right 13     # along the road and over the village's east edge
sleep 1.5
snapshot 3-wood
# A new level starts with no key held: press again.
hold Right 10     # along the wood's path, where monsters come
sleep 2
snapshot 4-met
fight_audio_start=$(audio_bytes)
# The fight: Down turns the carousel to the weapons, Return strikes until
# the monster falls; a last Return leaves the reward page.
tap Down
for blow in 1 2 3 4 5 6; do
  tap Return
  sleep 2.5
done
snapshot 5-won
[ "$(audio_bytes)" -gt "$fight_audio_start" ] || fail "no sound was written during the fight"
sounded_since "$fight_audio_start" || fail "the fight was silent"
log "the fight sounded ($(( $(audio_bytes) - fight_audio_start )) bytes of sound)"
tap Return
sleep 1.5

# --- closing: the desktop's close request ends the game as the player would.
log "closing"
game_running || fail "the game ended before it was asked to close"
kill -TERM "$game_pid"
wait_until 30 bash -c "! kill -0 $game_pid 2>/dev/null"
if kill -0 "$game_pid" 2>/dev/null; then fail "the game did not end within 30 s of the close request"; fi
wait "$game_pid"
status=$?
game_pid=""
log "the game ended with $status"
[ "$status" -eq 0 ] || fail "the game ended with status $status (see game.log)"
[ "$SECONDS" -le "$kDeadline" ] || fail "the road took $SECONDS s"
exit 0
