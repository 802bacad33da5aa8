# A read-only volume cannot be opened, even to look at it. Root may write
# any file, so as root the tool runs as the unprivileged user nobody, with a
# Wine prefix of its own.
. "$(dirname "$0")/common.sh"

if [ "$(id -u)" -eq 0 ]; then
  if ! command -v setpriv > /dev/null; then
    echo "SKIPPED: running as root and setpriv is not installed: no unprivileged user to try with"
    exit 77
  fi
  # The other user needs a world-readable folder and a home of its own.
  other=$(mktemp -d /tmp/vs-wine-ro-XXXXXX)
  trap 'rm -rf "$other"; rm -rf "$work"' EXIT
  chmod 0755 "$other"
  mkdir "$other/home"
  chown nobody "$other/home"
  cp VolumeSalvager.exe "$other/"
  cd "$other" || exit 1
  AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups
           env HOME="$other/home" WINEPREFIX="$other/home/prefix")
fi

for case in "read-only.pgd:0444:refused" "writable.pgd:0666:opened"; do
  IFS=: read -r path mode result <<< "$case"
  make_volume "$path" 3000 sound_block
  chmod "$mode" "$path"
  run_tool "$path"
  if [ "$result" = refused ]; then
    expect_eq "$path: message" "\"$path\": Open failed."$'\n|' "$(after_banner "$out")"
    expect_eq "$path: status" $((17 + ${#path})) "$status"
  else
    expect_eq "$path: message" "Terminating: This File Is Not Broken ?"$'\n|' "$(after_banner "$out")"
    expect_eq "$path: status" 0 "$status"
  fi
done
finish
