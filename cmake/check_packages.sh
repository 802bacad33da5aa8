# Makes the packages of a build folder and checks what they hold. On Linux
# the .tar.gz comes from a static release build made here.
# Usage: check_packages.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -u
source_dir=$1
build=$2
work=$3
rm -rf "$work"
mkdir -p "$work/packages"
make_packages() {  # build folder
  cpack --config "$1/CPackConfig.cmake" -B "$work/packages" >> "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack in $1"; exit 1; }
}
make_packages "$build"
if [ -f "$build/CPackConfig.cmake" ] && ! grep -q 'CPACK_GENERATOR "ZIP"' "$build/CPackConfig.cmake"; then
  cmake -S "$source_dir" -B "$work/static" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DVS_STATIC=ON > "$work/static.log" 2>&1 &&
    cmake --build "$work/static" --target VolumeSalvager >> "$work/static.log" 2>&1 ||
    { cat "$work/static.log"; echo "FAIL: static build"; exit 1; }
  make_packages "$work/static"
fi

failures=0
expect() {  # listing, entry
  if printf '%s\n' "$1" | grep -qE "$2\$"; then echo "ok: $2"; else echo "FAIL: no $2"; failures=$((failures + 1)); fi
}
shopt -s nullglob
for package in "$work"/packages/*.tar.gz "$work"/packages/*.deb "$work"/packages/*.zip; do
  echo "== ${package##*/}"
  case $package in
    *.deb) listing=$(dpkg-deb -c "$package") ;;
    *) listing=$(cmake -E tar tf "$package") ;;
  esac
  case $package in
    *.zip)
      expect "$listing" '/VolumeSalvager\.exe'
      expect "$listing" '/README\.md'
      expect "$listing" '/LICENSE' ;;
    *)
      expect "$listing" '/bin/VolumeSalvager'
      expect "$listing" '/share/man/man1/VolumeSalvager\.1\.gz'
      expect "$listing" '/share/doc/volumesalvager/README\.md'
      expect "$listing" '/share/doc/volumesalvager/copyright'
      expect "$listing" '/share/doc/volumesalvager/changelog\.gz' ;;
  esac
  case $package in
    *.tar.gz)
      expect "$listing" '/share/doc/volumesalvager/LICENSE'
      mkdir -p "$work/unpacked"
      tar -xzf "$package" -C "$work/unpacked"
      binary=$(find "$work/unpacked" -name VolumeSalvager -type f)
      if readelf -d "$binary" 2>&1 | grep -q 'no dynamic section' &&
        ! readelf -S "$binary" | grep -q '\.symtab'; then
        echo "ok: static, stripped binary"
      else
        echo "FAIL: the binary in the .tar.gz is not static and stripped"
        failures=$((failures + 1))
      fi ;;
  esac
done
packages=("$work"/packages/*.tar.gz "$work"/packages/*.deb "$work"/packages/*.zip)
[ "${#packages[@]}" -gt 0 ] || { echo "FAIL: no package made"; exit 1; }
rm -rf "$work"
[ "$failures" -eq 0 ] && echo "all checks passed"
