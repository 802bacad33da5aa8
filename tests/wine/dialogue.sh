# VolumeSalvager.exe under Wine, answered at the console in a tmux pane.
. "$(dirname "$0")/common.sh"

ACCEPTED_END="$PROMPT_TEXT"'YRestoring..Ok.exit=0'
DECLINED_END="$PROMPT_TEXT"'NRestore Aborted.exit=0'

# Keys and what they must do to a volume of 3000 bytes and a damaged block.
for case in "Y:repair" "y:decline" "Up:decline" "Escape:decline"; do
  key=${case%%:*}
  make_volume vol.pgd 3000 damaged_block
  cp vol.pgd vol.orig
  start_in_pane vol.pgd
  if ! wait_screen "$PROMPT_TEXT" 30; then
    fail "$key: no prompt: $(screen)"
    continue
  fi
  if [ "${case#*:}" = repair ]; then
    if press_until "$key" "$ACCEPTED_END"; then pass "$key: repaired, exit 0"; else fail "$key: $(screen)"; fi
    { head -c 3000 vol.orig; repaired_block_of vol.orig 3000; } > vol.want
    cmp -s vol.pgd vol.want && pass "$key: block rewritten in place" || fail "$key: file is not the repair"
  else
    if press_until "$key" "$DECLINED_END"; then pass "$key: declined, exit 0"; else fail "$key: $(screen)"; fi
    cmp -s vol.pgd vol.orig && pass "$key: file unchanged" || fail "$key: file changed"
  fi
done

# A sparse volume past 4 GiB is repaired at size - 2048, computed in 64 bits.
# The block straddles the 4 GiB mark, and the size modulo 4 GiB is less
# than one block: 32-bit arithmetic anywhere would show.
size=$(( (4 << 30) + 1024 ))
start=$((size - 2048))
truncate -s "$size" big.pgd
damaged_block > block.bin
dd if=block.bin of=big.pgd bs=2048 oflag=seek_bytes seek="$start" conv=notrunc status=none
printf 'MARK' | dd of=big.pgd bs=4 oflag=seek_bytes seek=$((start - 4)) conv=notrunc status=none
repaired_block_of big.pgd "$start" > big.want
start_in_pane big.pgd
if wait_screen "$PROMPT_TEXT" 30 && press_until Y "$ACCEPTED_END"; then
  pass "sparse volume: repaired"
else
  fail "sparse volume: $(screen)"
fi
expect_eq "sparse volume: size unchanged" "$size" "$(file_size big.pgd)"
block_at big.pgd "$start" | cmp -s - big.want && pass "sparse volume: block at S - 2048 repaired" ||
  fail "sparse volume: block at S - 2048 is not the repair"
expect_eq "sparse volume: bytes before the block" MARK \
  "$(dd if=big.pgd bs=4 iflag=skip_bytes skip=$((start - 4)) count=1 status=none)"
rm -f big.pgd

# While the first instance waits at the prompt it holds the file: a second
# one is refused, and the first then repairs.
make_volume vol.pgd 3000 damaged_block
cp vol.pgd vol.orig
start_in_pane vol.pgd
if wait_screen "$PROMPT_TEXT" 30; then
  run_tool vol.pgd
  expect_eq "second instance: message" "\"vol.pgd\": Open failed."$'\n|' "$(after_banner "$out")"
  expect_eq "second instance: status" 24 "$status"
  if press_until Y "$ACCEPTED_END"; then pass "first instance: repaired"; else fail "first instance: $(screen)"; fi
  { head -c 3000 vol.orig; repaired_block_of vol.orig 3000; } > vol.want
  cmp -s vol.pgd vol.want && pass "first instance: block rewritten" || fail "first instance: not the repair"
else
  fail "second instance: first shows no prompt: $(screen)"
fi

finish
