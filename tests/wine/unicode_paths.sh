# Any file name a Windows user has, in any code page, and paths longer than
# MAX_PATH: the file opened is always the file named, never a look-alike.
. "$(dirname "$0")/common.sh"

# On code page 1252 "łódź" has a look-alike, "lódz"; the damaged look-alike
# must not be the file examined.
make_volume 'łódź.pgd' 3000 sound_block
make_volume 'lódz.pgd' 3000 damaged_block
cp 'lódz.pgd' lookalike.orig
run_tool 'łódź.pgd'
expect_eq "łódź.pgd: the file named is examined" "Terminating: This File Is Not Broken ?"$'\n|' \
  "$(after_banner "$out")"
cmp -s 'lódz.pgd' lookalike.orig && pass "look-alike untouched" || fail "look-alike changed"

# Names outside the code page altogether.
for name in 'том.pgd' '卷.pgd' 'disk-💾.pgd'; do
  make_volume "$name" 3000 sound_block
  run_tool "$name"
  expect_eq "$name: opened" "Terminating: This File Is Not Broken ?"$'\n|' "$(after_banner "$out")"
done

# The open-failure line shows the path as typed (UTF-8 in a file), and its
# status counts characters, not bytes.
name='нет-тома.pgd'
run_tool "$name"
expect_eq "$name: message" "\"$name\": Open failed."$'\n|' "$(after_banner "$out")"
expect_eq "$name: status" $((17 + 12)) "$status"

# In a console the line shows the name through the wide API.
start_in_pane "'$name'"
wait_screen "\"$name\": Open failed.exit=29" 30 && pass "$name: shown as typed in a console" ||
  fail "$name: console shows $(screen)"

# A path longer than MAX_PATH: relative, and absolute as Windows sees it.
long_dir=$(printf 'folder-%02d-with-a-long-name/' $(seq 1 12))
mkdir -p "$long_dir"
make_volume "${long_dir}vol.pgd" 3000 damaged_block
cp "${long_dir}vol.pgd" long.orig
relative="${long_dir//\//\\}vol.pgd"
absolute="Z:${PWD//\//\\}\\$relative"
for path in "$relative" "$absolute"; do
  run_tool "$path"
  expect_eq "${#path}-character path: prompt" \
    "$ASKED"$'N\nRestore Aborted.\n|' "$(after_banner "$out")"
done
cmp -s "${long_dir}vol.pgd" long.orig && pass "long path: declined volume unchanged" ||
  fail "long path: volume changed"

# An open failure of a long path: the status is capped at 255, never 259
# (STILL_ACTIVE) or more.
run_tool "${relative%vol.pgd}missing.pgd"
expect_eq "long missing path: status" 255 "$status"

finish
