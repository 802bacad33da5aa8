# Makes the packages of a build folder and checks what they hold.
# Usage: check_packages.sh BUILD_DIR WORK_DIR
set -u
build=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
failures=0
expect() {  # listing, entry
  if printf '%s\n' "$1" | grep -qE "$2\$"; then echo "ok: $2"; else echo "FAIL: no $2"; failures=$((failures + 1)); fi
}
shopt -s nullglob
for package in "$work"/*.tar.gz "$work"/*.deb "$work"/*.zip; do
  echo "== ${package##*/}"
  case $package in
    *.deb) listing=$(dpkg-deb -c "$package") ;;
    *) listing=$(cmake -E tar tf "$package") ;;
  esac
  case $package in
    *.zip)
      expect "$listing" '/VolumeSalvager\.exe'
      expect "$listing" '/README\.md' ;;
    *)
      expect "$listing" '/bin/VolumeSalvager'
      expect "$listing" '/share/man/man1/VolumeSalvager\.1'
      expect "$listing" '/share/doc/VolumeSalvager/README\.md' ;;
  esac
done
packages=("$work"/*.tar.gz "$work"/*.deb "$work"/*.zip)
[ "${#packages[@]}" -gt 0 ] || { echo "FAIL: no package made"; exit 1; }
rm -rf "$work"
[ "$failures" -eq 0 ] && echo "all checks passed"
