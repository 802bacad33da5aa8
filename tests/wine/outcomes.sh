# VolumeSalvager.exe under Wine: every outcome that needs no key press.
. "$(dirname "$0")/common.sh"

# Usage, and the line breaks of a text-mode standard output.
run_tool
expect_eq "no argument: message" "Usage: VolumeSalvager <pgpdisk-filename>"$'\n|' "$(after_banner "$out")"
expect_eq "no argument: status" 41 "$status"
lines=$(wc -l < out.bin)
crlf_lines=$(grep -c $'\r$' out.bin)
if [ "$lines" -eq 6 ] && [ "$crlf_lines" -eq "$lines" ]; then
  pass "every line ends in CR LF"
else
  fail "line breaks are not all CR LF: $(od -c out.bin | head -3)"
fi
expect_eq "nothing on standard error" "" "$(cat err.bin)"

run_tool a.pgd b.pgd
expect_eq "two arguments: status" 41 "$status"
[ ! -e a.pgd ] && pass "no file created" || fail "a.pgd was created"

# Open failures: 17 + the length of the path as typed.
mkdir adir
for path in missing.pgd adir ""; do
  run_tool "$path"
  expect_eq "open \"$path\": message" "\"$path\": Open failed."$'\n|' "$(after_banner "$out")"
  expect_eq "open \"$path\": status" $((17 + ${#path})) "$status"
done
[ ! -e missing.pgd ] && pass "missing file not created" || fail "missing.pgd was created"

# Files too short to hold a trailer block.
for size in 0 2047; do
  head -c "$size" /dev/zero > short.pgd
  run_tool short.pgd
  expect_eq "$size bytes: message" "file seek failed."$'\n|' "$(after_banner "$out")"
  expect_eq "$size bytes: status" 18 "$status"
done

# A sound block of a file that is all trailer block.
make_volume sound.pgd 0 sound_block
cp sound.pgd sound.orig
run_tool sound.pgd
expect_eq "sound block: message" "Terminating: This File Is Not Broken ?"$'\n|' "$(after_banner "$out")"
expect_eq "sound block: status" 0 "$status"
cmp -s sound.pgd sound.orig && pass "sound block unchanged" || fail "sound block changed"

# Standard input redirected from a file holding "Y" does not answer the
# prompt; with no console to read, the tool declines.
make_volume broken.pgd 5000 damaged_block
cp broken.pgd broken.orig
printf 'Y\r\n' > answers.txt
TOOL_STDIN=answers.txt run_tool broken.pgd
expect_eq "redirected input: message" \
  "$ASKED"$'N\nRestore Aborted.\n|' "$(after_banner "$out")"
expect_eq "redirected input: status" 0 "$status"
cmp -s broken.pgd broken.orig && pass "declined volume unchanged" || fail "declined volume changed"

finish
