# The .exe in a real Wine console window on a virtual X display, with keys
# typed into the window: Ctrl+C at the prompt arrives as a key and
# declines, and a window the tool owns alone waits for a key to close.
. "$(dirname "$0")/common.sh"

# A display of our own; Xvfb writes its number once it is ready.
exec 5> display.txt
"$XVFB_BIN" -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > xvfb.log 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 1 50); do [ -s display.txt ] && break; sleep 0.1; done
[ -s display.txt ] || { echo "FAIL: Xvfb did not start: $(cat xvfb.log)"; exit 1; }
export DISPLAY=":$(cat display.txt)"
# A prefix of its own: a Wine server already running for the shared one,
# started without a display by another test, would make consoles without
# windows.
# The shared prefix is copied once its server has written everything out.
"${WINE64%/*}/wineserver" -w 2>/dev/null || wineserver -w
cp -a "$WINEPREFIX" prefix
export WINEPREFIX=$PWD/prefix
trap '"${WINE64%/*}/wineserver" -k 2>/dev/null; kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT

# Runs `wine start /wait ARGS...` in the background: a new console window;
# done.txt receives the exit status.
start_window() {
  rm -f done.txt
  ( "$WINE64" start /wait "$@"; echo "$?" > done.txt ) > /dev/null 2>&1 &
}
ended() { [ -s done.txt ]; }
wait_end() {  # seconds
  local tries=$(($1 * 4))
  while ! ended && [ "$tries" -gt 0 ]; do sleep 0.25; tries=$((tries - 1)); done
  ended
}
# Types KEY into the newest window whose title matches NAME.
type_into() {  # name key
  local window
  window=$("$XDOTOOL_BIN" search --name "$1" 2>/dev/null | tail -1)
  [ -n "$window" ] || return 1
  "$XDOTOOL_BIN" windowfocus "$window" 2>/dev/null
  "$XDOTOOL_BIN" key "$2"
}
# The prompt is in the log once the tool has flushed it; it reads the key
# right after.
wait_log() {  # text seconds
  local tries=$(($2 * 4))
  while ! grep -qF -- "$1" log.txt 2>/dev/null && [ "$tries" -gt 0 ]; do sleep 0.25; tries=$((tries - 1)); done
  grep -qF -- "$1" log.txt 2>/dev/null
}

# Ctrl+C and, as the control that keys do arrive, Shift+Y. Standard output
# goes to a log so that the test can see the prompt.
for case in "ctrl+c:declined" "shift+y:repaired"; do
  key=${case%%:*}
  make_volume vol.pgd 3000 damaged_block
  cp vol.pgd vol.orig
  rm -f log.txt
  start_window cmd /c "VolumeSalvager.exe vol.pgd > log.txt"
  if ! wait_log "$PROMPT_TEXT" 60; then
    fail "$key: no prompt: $(cat log.txt 2>&1)"
    continue
  fi
  sleep 0.5
  type_into 'cmd.exe' "$key" || fail "$key: no console window"
  wait_end 20 || fail "$key: the tool did not end"
  log=$(cat log.txt; echo x)
  if [ "${case#*:}" = declined ]; then
    expect_eq "$key: declines" "$ASKED"$'N\nRestore Aborted.\n|' "$(after_banner "${log%x}")"
    cmp -s vol.pgd vol.orig && pass "$key: volume unchanged" || fail "$key: volume changed"
  else
    expect_eq "$key: repairs" "$ASKED"$'Y\nRestoring..Ok.|' "$(after_banner "${log%x}")"
    { head -c 3000 vol.orig; repaired_block_of vol.orig 3000; } > vol.want
    cmp -s vol.pgd vol.want && pass "$key: block rewritten" || fail "$key: not the repair"
  fi
  expect_eq "$key: status" 0 "$(cat done.txt 2>/dev/null)"
done

# A volume dropped onto the .exe: a window of its own, which stays open
# until a key is pressed; the status is the outcome's.
make_volume sound.pgd 3000 sound_block
start_window VolumeSalvager.exe "Z:${PWD//\//\\}\\sound.pgd"
sleep 3
if ended; then
  fail "own window: closed without waiting for a key"
else
  pass "own window: waits for a key"
  for _ in 1 2 3 4 5; do
    type_into 'VolumeSalvager' x
    wait_end 3 && break
  done
  ended && pass "own window: a key closes it" || fail "own window: still open"
  expect_eq "own window: status" 0 "$(cat done.txt 2>/dev/null)"
fi

finish
