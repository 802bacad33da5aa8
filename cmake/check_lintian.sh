# Makes the .deb of a build folder and runs lintian on it: any error fails,
# warnings and notes are printed.
# Usage: check_lintian.sh LINTIAN BUILD_DIR WORK_DIR
set -u
lintian=$1
build=$2
work=$3
rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/*.deb)
"$lintian" --fail-on error --tag-display-limit 0 --display-info "$deb" 2>&1 |
  grep -v 'running with root privileges'
status=${PIPESTATUS[0]}
rm -rf "$work"
[ "$status" -eq 0 ] && echo "lintian: no error in ${deb##*/}" || echo "FAIL: lintian found errors"
exit "$status"
