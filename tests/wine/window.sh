# Started from Explorer (double-click, drag-and-drop, a shortcut) the tool
# has a console window of its own, which closes when it exits: it waits for
# a key so that the outcome can be read. Started from cmd.exe nothing waits.
. "$(dirname "$0")/common.sh"

CLOSE_PROMPT='Press any key to close this window.'
DROP_HINT='To check a volume, drop its file onto VolumeSalvager.exe in Explorer.'

# Presses a key once the tool is waiting for it; true when the pane then
# shows TEXT. Keys pressed before the wait are dropped as typed ahead.
close_window() {  # text
  press_until x "$1"
}

# Double-click: no argument. Usage, the drop hint, and a wait.
start_alone_in_pane ""
if wait_screen "$CLOSE_PROMPT" 30; then
  screen | tr -d '\n' | grep -qF "<pgpdisk-filename>${DROP_HINT}${CLOSE_PROMPT}" &&
    pass "no argument: usage, drop hint, close prompt" || fail "no argument: $(screen)"
  sleep 1
  screen | grep -q "exit=" && fail "no argument: ended without waiting for a key" ||
    pass "no argument: waits for a key"
  close_window "${CLOSE_PROMPT}exit=41" && pass "no argument: a key closes it, status 41" ||
    fail "no argument: $(screen)"
else
  fail "no argument: no close prompt: $(screen)"
fi

# Drag-and-drop of a sound volume: the outcome stays on screen until a key.
make_volume sound.pgd 3000 sound_block
start_alone_in_pane sound.pgd
if wait_screen "Not Broken ?${CLOSE_PROMPT}" 30; then
  screen | grep -qF "$DROP_HINT" && fail "dropped volume: drop hint shown" || pass "dropped volume: no drop hint"
  close_window "${CLOSE_PROMPT}exit=0" && pass "dropped volume: status 0 after the key" ||
    fail "dropped volume: $(screen)"
else
  fail "dropped volume: $(screen)"
fi

# From cmd.exe the console is shared: no wait, no hint.
start_in_pane ""
if wait_screen "exit=41" 30; then
  screen | grep -qF "$CLOSE_PROMPT" && fail "from cmd.exe: close prompt shown" ||
    pass "from cmd.exe: ends at once"
else
  fail "from cmd.exe: $(screen)"
fi

# Standard output in a file: the prompt and the answer still reach the
# console, and the file holds exactly the tool's usual output.
for answer in Y n; do
  make_volume vol.pgd 3000 damaged_block
  cp vol.pgd vol.orig
  start_alone_in_pane "vol.pgd > log.txt"
  if ! wait_screen "$PROMPT_TEXT" 30; then
    fail "output to a file, $answer: no prompt on the console: $(screen)"
    continue
  fi
  if [ "$answer" = Y ]; then
    letter=Y
    logged="$ASKED"$'Y\nRestoring..Ok.|'
  else
    letter=N
    logged="$ASKED"$'N\nRestore Aborted.\n|'
  fi
  press_until "$answer" "${PROMPT_TEXT}${letter}${CLOSE_PROMPT}" &&
    pass "output to a file, $answer: prompt and answer on the console" ||
    fail "output to a file, $answer: $(screen)"
  close_window "exit=0" || fail "output to a file, $answer: window did not close: $(screen)"
  log=$(cat log.txt; echo x)
  expect_eq "output to a file, $answer: the file's bytes" "$logged" "$(after_banner "${log%x}")"
done

finish
