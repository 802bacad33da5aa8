# Builds the tool twice, in two folders, with SOURCE_DATE_EPOCH set, and
# requires the two executables to be the same bytes.
# Usage: check_reproducible.sh SOURCE_DIR WORK_DIR EXECUTABLE_NAME [cmake args...]
set -eu
source_dir=$1
work=$2
exe=$3
shift 3
export SOURCE_DATE_EPOCH=1700000000
rm -rf "$work"
for side in a b; do
  cmake -S "$source_dir" -B "$work/$side" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "$@" > /dev/null
  cmake --build "$work/$side" --target VolumeSalvager > /dev/null
done
if cmp "$work/a/$exe" "$work/b/$exe"; then
  echo "reproducible: $(sha256sum < "$work/a/$exe" | cut -c1-16) for both builds"
  stamp=$(LC_ALL=C grep -a -o 'VolumeSalvager\. [A-Z][a-z][a-z] [ 0-9][0-9] [0-9]\{4\} [0-9:]\{8\}' "$work/a/$exe" | head -1)
  echo "banner stamp: $stamp"
  [ "$stamp" = "VolumeSalvager. Nov 14 2023 22:13:20" ] || { echo "FAIL: stamp does not follow SOURCE_DATE_EPOCH"; exit 1; }
else
  echo "FAIL: two builds of the same source differ"
  exit 1
fi
rm -rf "$work"
