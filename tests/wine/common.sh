# Helpers for the Wine tests of VolumeSalvager.exe. Sourced by each test;
# CTest sets WINE64, WINEPREFIX, WINEDEBUG, TMUX_BIN and VOLUME_SALVAGER_EXE.
set -u

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }
expect_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

# Each test works in a folder of its own, with the .exe beside the volumes,
# so that paths are short and relative, as a user types them.
work=$(mktemp -d "$PWD/wine-work-XXXXXX")
trap 'tmux_cmd kill-server >/dev/null 2>&1; rm -rf "$work"' EXIT
cp "$VOLUME_SALVAGER_EXE" "$work/VolumeSalvager.exe"
cd "$work" || exit 1

BANNER_END='Tested on PDP 8.0 Volumes.'
PROMPT_TEXT="Press 'Y' for Restore or other key to cancel:"
ASKED="This is broken PGP volume."$'\n'"$PROMPT_TEXT"  # the whole prompt

# A damaged trailer block: 01 02 03 04 | AA BB AA BB | CC DD CC DD | random.
damaged_block() {
  printf '\001\002\003\004\252\273\252\273\314\335\314\335'
  head -c 2036 /dev/urandom
}
# The same with the second copy broken.
sound_block() {
  printf '\001\002\003\004\252\273\252\273\314\335\314\336'
  head -c 2036 /dev/urandom
}
# A volume of BODY random bytes followed by a block.
make_volume() {  # file body-size block-function
  { head -c "$2" /dev/urandom; "$3"; } > "$1"
}
# What the repair must make of the block at OFFSET of FILE, on stdout.
repaired_block_of() {  # file offset
  dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip="$2" count=6 status=none
  dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip=$(($2 + 8)) count=2 status=none
  dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip=$(($2 + 12)) count=2036 status=none
  printf '\0\0\0\0'
}
block_at() {  # file offset
  dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip="$2" count=2048 status=none
}
file_size() { stat -c %s "$1"; }

# Runs the .exe with no console input; sets `out` (the raw output) and
# `status`. Standard input is TOOL_STDIN, /dev/null by default; the
# command runs behind the words of the array AS_USER, if any.
AS_USER=()
run_tool() {
  "${AS_USER[@]}" "$WINE64" ./VolumeSalvager.exe "$@" > out.bin 2> err.bin < "${TOOL_STDIN:-/dev/null}"
  status=$?
  out=$(cat out.bin; echo x)
  out=${out%x}
}
# The output after the banner, with CR LF read as LF, and a "|" at its end
# so that a last line break is not lost to the shell.
after_banner() {
  local text=${1//$'\r\n'/$'\n'}
  if [[ "$text" == *"$BANNER_END"$'\n'* ]]; then
    printf '%s|' "${text#*"$BANNER_END"$'\n'}"
  else
    printf '<no banner>'
  fi
}

# ---- Interactive runs in a tmux pane ---------------------------------------

panes=0
TMUX_SOCKET="vs-wine-$$-$panes"
tmux_cmd() { "$TMUX_BIN" -L "$TMUX_SOCKET" "$@"; }

# Starts a command line in a terminal pane; the pane shows "exit=N" when it
# ends. Each pane has a tmux server of its own, so that the end of the last
# one cannot race with the start of the next.
start_command_in_pane() {  # command, already quoted for a shell
  tmux_cmd kill-server >/dev/null 2>&1
  panes=$((panes + 1))
  TMUX_SOCKET="vs-wine-$$-$panes"
  tmux_cmd -u new-session -d -x 200 -y 50 \
    "cd '$work' && WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all LANG=C.UTF-8 $1; echo \"exit=\$?\"; sleep 600"
}
# The .exe started from cmd.exe, which shares the console with it, as when
# a user types the command.
start_in_pane() {  # arguments for the .exe, already quoted for a shell
  start_command_in_pane "'$WINE64' cmd /c VolumeSalvager.exe $1"
}
# The .exe alone on its console, as when started from Explorer: Wine started
# straight from a terminal counts as the only process on its console.
start_alone_in_pane() {  # arguments for the .exe, already quoted for a shell
  start_command_in_pane "'$WINE64' ./VolumeSalvager.exe $1"
}
screen() { tmux_cmd capture-pane -p -J -S -200; }
# Waits up to SECONDS for TEXT on the screen.
wait_screen() {  # text seconds
  local tries=$(($2 * 5))
  while [ "$tries" -gt 0 ]; do
    if screen | tr -d '\n' | grep -qF -- "$1"; then return 0; fi
    sleep 0.2
    tries=$((tries - 1))
  done
  return 1
}
# Presses KEY until TEXT shows. Keys pressed before the tool starts reading
# are dropped as typed ahead, so the key is pressed again when nothing
# happened; the tool reads only one.
press_until() {  # key text
  local try
  for try in 1 2 3 4; do
    tmux_cmd send-keys "$1"
    if wait_screen "$2" 5; then return 0; fi
  done
  return 1
}
