#!/usr/bin/env bash
# Plays the demo's road in the real SDL program on a virtual X server, with
# real X key events: "New game" on "Easy" from the main menu, west and north
# to the old chest (opened with the action key), round the houses and east
# over the village's edge into Thistlewood, then along the wood's path until
# its rat meets the hero (he flees from the boar that may beat him), and the
# fight with it, which must sound. Then
# the program is asked to close, as the desktop's close request does, so that
# it saves the game to resume.
#
#   keyboard_road.sh PROGRAM STATE_DIR OUT_DIR
#
# The game writes into STATE_DIR (its saves land in STATE_DIR/savegame);
# OUT_DIR receives the program's output (game.log), what this script did
# (steps.log), the sound it mixed (audio.raw), the program's own last screen
# (screen.png) and the X screen at the milestones (and at a failure). What
# an earlier run left in OUT_DIR is removed first.
# Exit status: 0 the road was played and the program ended by itself,
# 77 Xvfb, xdotool or ImageMagick is missing, 1 anything else (reason on
# stderr).
#
# The script types only once the window shows what the next key is for (a
# few of its pixels, read back from the X server), and then waits for what
# the key should bring, with deadlines far beyond an idle machine's times:
# a busy machine only makes the road slower. The walk's legs are timed
# holds; each ends against a wall, a house or the chest, so a key held
# longer than needed changes nothing. The holds are about two and a half
# times what an idle machine needs (the hero walks some 60 pixels a second;
# the longest leg, to the village's edge, is 310 pixels), and the chest, the
# wood and the fight are walked to again until their screens show.
set -uo pipefail

program=${1:?program} state=${2:?state folder} out=${3:?output folder}
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "keyboard_road: $tool is not installed" >&2; exit 77; }
done
mkdir -p "$state" "$out" || exit 1
rm -f "$out"/*.png "$out"/game.log "$out"/steps.log "$out"/audio.raw "$out"/xvfb.log
: >"$out/steps.log"
# ImageMagick's worker threads only wait for each other on a crowded machine.
export MAGICK_THREAD_LIMIT=1

readonly kDeadline=220          # seconds for the whole road, start to exit
readonly kWindowTitle="Quenlo: Duskmarrow"
game_pid="" xvfb_pid="" window="" display_file="$out/display"

log() { echo "[$SECONDS s] $*" >>"$out/steps.log"; }
fail() {
  log "FAILED: $*"
  [ -n "$window" ] && grab "$window" "$out/failed.png" && log "the screen then: failed.png"
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

# An X client that asks for a window that has just gone may wait for ever.
grab() {  # window file [import options...]
  local from=$1 to=$2
  shift 2
  timeout 30 import -display "$DISPLAY" -window "$from" "$@" "$to" 2>/dev/null
}
snapshot() {
  grab root "$out/$1.png"
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

# --- what the window shows, told by a few of its pixels. Each point is x,y
# on the game's 240x320 screen (the window shows it scaled) and has the
# colour named beside it where the screen shows that; a colour matches
# within 16 a channel. Boxes that are see-through are told by their text.
declare -A kPoint=(
  [menu_top]=70,110       # "Continue" on the title menu, or the difficulty box
  [menu_new_game]=70,130  # "New game"
  [menu_low]=70,200       # "Settings", or the difficulty box
  [easy]=105,140          # the stem of the "E" of "Easy"
  [page_high]=60,130      # the story page's box
  [page_low]=60,190
  [notice_1]=60,244       # the "Y" of an item notice's "You took ..."
  [notice_2]=64,244
  [notice_3]=62,248
  [hud_menu]=8,300        # the walk bar's menu and exit buttons
  [hud_exit]=156,300
  [action]=10,272         # the fight's ACTION and FLEE buttons, lit on the hero's turn
  [flee]=230,272
  [sheet_edge]=0,150      # the level-up page's frame and its armour box
  [sheet_box]=39,110
  [name]=16,19            # the top of the first letter of the monster's name
)
declare -A kColour=(
  [disabled]=57,60,66 [button]=33,48,107 [focus]=148,109,24 [box]=24,28,57
  [focused_text]=255,211,66 [page_high]=24,28,57 [page_low]=24,28,49 [notice_text]=41,28,16
  [hud_menu]=57,81,123 [hud_exit]=57,109,57 [action]=107,48,24 [flee]=41,60,90
  [sheet_frame]=148,121,65 [name_text]=255,255,255
)
# The village's grass is bright, the wood under its rain dark: the mean
# green of the whole screen tells the two maps apart.
readonly kVillageGreen=100
# Where a notice's text runs on after "You took ": which of a few of its
# pixels are letters tells one notice from the next.
readonly kNoticeTextRow=247 kNoticeTextFrom=100 kNoticeTextTo=220 kNoticeTextStep=4

# One ImageMagick format that prints the screen's mean green, each point's
# colour and the notice row's pixels, in screen coordinates scaled to the
# window.
fx_colour() {  # x y
  local at="p{($1+0.5)*w/240,($2+0.5)*h/320}"
  echo -n " %[fx:int(255*$at.r+0.5)],%[fx:int(255*$at.g+0.5)],%[fx:int(255*$at.b+0.5)]"
}
point_names=("${!kPoint[@]}")
look_format="%[fx:int(255*mean.g)]"
for name in "${point_names[@]}"; do look_format+=$(fx_colour "${kPoint[$name]%,*}" "${kPoint[$name]#*,}"); done
for ((x = kNoticeTextFrom; x <= kNoticeTextTo; x += kNoticeTextStep)); do
  look_format+=$(fx_colour "$x" "$kNoticeTextRow")
done
look_format+='\n'
declare -A pixel=()
seen="nothing yet" green=0 notice_text=""

# Reads the window's pixels into `pixel`, `green` and `notice_text`, and
# names what they show in `seen`: title, title_new_game, difficulty,
# difficulty_easy, story, notice, village or wood (the walk bar with no page
# or notice over the map), fight (the hero's turn), level_up or other.
look() {
  local -a values
  seen=other
  read -r -a values <<<"$(grab "$window" info: -format "$look_format")"
  [ "${#values[@]}" -gt $((${#point_names[@]} + 1)) ] || return 1
  green=${values[0]}
  local i=1 name
  for name in "${point_names[@]}"; do
    pixel[$name]=${values[$i]}
    i=$((i + 1))
  done
  # Only whether each is a letter's pixel: the box is see-through, and the
  # rain falls behind it.
  notice_text=""
  for ((; i < ${#values[@]}; i++)); do
    pixel[row]=${values[$i]}
    if near row notice_text; then notice_text+=1; else notice_text+=0; fi
  done
  classify
}

near() {  # point colour: whether the point shows the colour
  local -a got want
  IFS=, read -r -a got <<<"${pixel[$1]:-}"
  IFS=, read -r -a want <<<"${kColour[$2]}"
  [ "${#got[@]}" -eq 3 ] || return 1
  local c
  for c in 0 1 2; do
    local d=$((got[c] - want[c]))
    [ "${d#-}" -le 16 ] || return 1
  done
}

classify() {
  if near action action && near flee flee; then seen=fight
  elif near sheet_edge sheet_frame && near sheet_box sheet_frame; then seen=level_up
  elif near hud_menu hud_menu && near hud_exit hud_exit; then
    if near page_high page_high && near page_low page_low; then seen=story
    elif near notice_1 notice_text && near notice_2 notice_text && near notice_3 notice_text; then seen=notice
    elif [ "$green" -ge "$kVillageGreen" ]; then seen=village
    else seen=wood
    fi
  elif near menu_top disabled && near menu_low button; then
    if near menu_new_game focus; then seen=title_new_game; else seen=title; fi
  elif near menu_top box && near menu_low box; then
    if near easy focused_text; then seen=difficulty_easy; else seen=difficulty; fi
  fi
}

shows() {  # name...: whether the window shows one of them
  look || return 1
  local name
  for name in "$@"; do [ "$seen" = "$name" ] && return 0; done
  return 1
}
# The same twice, half a second apart: no box on its way in or out (a
# notice's text the same too).
settled_on() {  # name...
  shows "$@" || return 1
  local first=$seen text=$notice_text
  sleep 0.5
  shows "$first" && { [ "$seen" != notice ] || [ "$notice_text" = "$text" ]; }
}
off() { ! shows "$1"; }
notice_went() {  # text: the notice with that text shows no longer
  look || return 1
  [ "$seen" != notice ] || [ "$notice_text" != "$1" ]
}

# Taps `key` once the window shows `screen`, then waits for `next`.
tap_on() {  # screen key next what
  wait_until 60 settled_on "$1" || fail "$4: the screen shows $seen, not $1"
  tap "$2"
  wait_until 60 settled_on "$3" || fail "$4: after $2 the screen shows $seen, not $3"
  log "$4: $3"
}

# Closes the notice that shows with the action key, and waits for it to go.
close_notice() {  # what
  local text=$notice_text
  tap Return
  wait_until 60 notice_went "$text" || fail "$1: a notice stays"
}

# --- the sound the program mixes, through SDL's disk driver. The output
# reopens its device when it sees the play position stand still (as a
# loaded machine can make it), and SDL then starts the file again, so the
# file is watched for change and for sound as it grows, not measured from
# an offset.
audio_bytes() { stat -c %s "$out/audio.raw" 2>/dev/null || echo 0; }
# Whether the last half second or so written holds anything but silence.
sounding_now() {
  local loud
  loud=$(tail -c 44100 "$out/audio.raw" 2>/dev/null | tr -d '\000' | head -c 1 | wc -c)
  [ "$loud" -gt 0 ]
}
audio_seen="" sound_written=no sound_heard=no
watch_sound() {
  local now
  now=$(audio_bytes)
  [ -n "$audio_seen" ] && [ "$now" != "$audio_seen" ] && sound_written=yes
  audio_seen=$now
  if sounding_now; then sound_heard=yes; fi
}

# --- the virtual X server: it picks a free display and names it when ready.
: >"$display_file"
Xvfb -displayfd 3 -screen 0 480x640x24 -nolisten tcp 3>"$display_file" 2>"$out/xvfb.log" &
xvfb_pid=$!
wait_until 30 grep -q '[0-9]' "$display_file" || fail "Xvfb did not start (see xvfb.log)"
export DISPLAY=":$(tr -dc '0-9' <"$display_file")"
log "Xvfb on $DISPLAY"
# On a busy machine the server may name its display before it takes
# clients: wait until one can talk to it.
x_answers() { timeout 30 xdotool getdisplaygeometry >/dev/null 2>&1; }
wait_until 30 x_answers || fail "Xvfb on $DISPLAY does not answer (see xvfb.log)"

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
find_window() {
  window=$(timeout 30 xdotool search --onlyvisible --name "$kWindowTitle" 2>/dev/null | head -n 1)
  [ -n "$window" ]
}
# A busy machine's X server now and then refuses the program's first
# connection although it answered ours ("x11 not available"): such a start
# is tried again, twice at most; any other early end fails the road.
for attempt in 1 2 3; do
  start_game
  wait_until 60 find_window && break
  game_running && fail "no game window within 60 s (see game.log)"
  grep -q "x11 not available" "$out/game.log" && [ "$attempt" -lt 3 ] ||
    fail "the game ended before its window opened (see game.log)"
  log "the X server refused the program (attempt $attempt); starting it again"
  wait "$game_pid" 2>/dev/null
  sleep 1
done
timeout 30 xdotool windowfocus --sync "$window" || fail "the game window did not take the keyboard focus"
log "window $window"

# --- the title menu. Menus act on the key's release; the first key only
# shows the focus.
wait_until 60 settled_on title || fail "the main menu did not appear (the screen shows $seen)"
snapshot 1-menu
tap_on title Down title_new_game "the menu"
tap_on title_new_game Return difficulty "New game"
tap_on difficulty Down difficulty_easy "the difficulty page"
tap Return
# The story's first trigger leaves the HUD mode, which saves automatically;
# the new game opens on the story's page, which fades out to the map.
wait_until 60 file_there "$state/savegame/save6.dat" || fail "the new game did not start"
tap_on story Return village "the story's opening page"
log "walking"

# --- to the chest in the village's corner: west to the wall, north to the
# chest, and the action key opens it, which shows the notices of the tonic
# and the gold it holds.
for attempt in 1 2 3; do
  hold Left 5
  hold Up 6
  tap Return
  wait_until 20 shows notice && break
  [ "$attempt" -lt 3 ] || fail "the chest did not open (the screen shows $seen)"
  log "no notice: walking to the chest again"
done
log "the chest opened"
while wait_until 60 settled_on village notice && [ "$seen" = notice ]; do close_notice "the chest"; done
[ "$seen" = village ] || fail "after the chest's notices the screen shows $seen"
snapshot 2-chest

# --- round the houses and east over the village's edge into the wood, and
# on along the wood's path until a monster meets the hero (a new level
# starts with no key held, so Right is pressed anew in the wood). The
# cudgel beats the wood's rat; the boar on the path may win, so the hero
# flees from any other monster and walks on, to and fro in the wood (more
# to the east than back; a step back over its west edge is walked east
# again), until the rat comes: the wood's monsters come to a hero who walks.
hold Right 6.5    # along the chest's row to the first house
hold Down 6.5     # down beside it to the next house
walk_in_the_wood() {  # key seconds: held until a fight or a change of screen
  log "in the wood: $1 for up to $2 s"
  xdotool keydown "$1" || fail "xdotool could not press $1"
  wait_until "$2" off wood
  xdotool keyup "$1"
}
legs=0
while :; do
  [ "$SECONDS" -lt "$kDeadline" ] || fail "no rat met the hero in time (the screen shows $seen)"
  wait_until 60 settled_on village wood fight || fail "walking east: the screen shows $seen"
  case $seen in
  village) hold Right 13 ;;  # along the road and over the village's east edge
  wood)
    legs=$((legs + 1))
    if [ "$legs" -eq 1 ]; then walk_in_the_wood Right 40
    elif [ $((legs % 2)) -eq 0 ]; then walk_in_the_wood Left 3
    else walk_in_the_wood Right 4
    fi
    ;;
  fight)
    near name name_text && break  # "Briar Rat", by its B
    log "a monster the cudgel may not beat: fleeing"
    tap F4
    # A monster that forbids flight is fought.
    wait_until 30 off fight || { log "no flight: fighting"; break; }
    ;;
  esac
done
snapshot 3-met

# --- the fight: the action key strikes with the weapon the carousel opens
# on, exchange after exchange (a press while the fighters act is let pass,
# or ends a pause early); a victory that reaches the hero's next level
# shows the level-up page, where F2 raises his strength; back in the wood
# the action key closes the reward's notices. The same goes for a second
# monster that comes while the first one's notices show. The sound is
# watched all the while.
watch_sound
while :; do
  [ "$SECONDS" -lt "$kDeadline" ] || fail "the fight did not end in time (the screen shows $seen)"
  look
  case $seen in
  wood)
    settled_on wood && break
    ;;
  notice)
    settled_on notice && close_notice "the fight's reward"
    ;;
  level_up)
    # Keys count only once the page stands opaque, and F2 on the map would
    # open the hero's sheet: one press, and a second only if the page stays.
    settled_on level_up || continue
    log "a level gained: strength"
    tap F2
    wait_until 60 off level_up || { shows level_up && tap F2; }
    ;;
  *) tap Return ;;
  esac
  watch_sound
done
watch_sound
log "the fight ended"
snapshot 4-won
[ "$sound_written" = yes ] || fail "no sound was written during the fight"
[ "$sound_heard" = yes ] || fail "the fight was silent"
log "the fight sounded"

# --- closing: the desktop's close request ends the game as the player would.
log "closing"
game_running || fail "the game ended before it was asked to close"
kill -TERM "$game_pid"
wait_until 40 bash -c "! kill -0 $game_pid 2>/dev/null"
if kill -0 "$game_pid" 2>/dev/null; then fail "the game did not end within 40 s of the close request"; fi
wait "$game_pid"
status=$?
game_pid=""
log "the game ended with $status"
[ "$status" -eq 0 ] || fail "the game ended with status $status (see game.log)"
[ "$SECONDS" -le "$kDeadline" ] || fail "the road took $SECONDS s"
exit 0
