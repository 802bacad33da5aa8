# What Windows shows about the .exe: a version resource for Explorer's
# Properties page, a manifest (no elevation, Windows 7 to 11, long paths),
# and no symbols or debug sections in the file users take.
set -u
objdump=$1
windres=$2
exe=$3
version=$4
failures=0
check() {  # what, pattern, text
  if printf '%s\n' "$3" | grep -qF -- "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
resources=$("$windres" -i "$exe" -O rc 2>&1)
check "product name" 'VALUE "ProductName", "VolumeSalvager"' "$resources"
check "file description" 'VALUE "FileDescription", "VolumeSalvager: ' "$resources"
check "version" "VALUE \"ProductVersion\", \"$version\"" "$resources"
check "copyright" 'the VolumeSalvager authors' "$resources"
check "manifest: asInvoker" 'level=""asInvoker""' "$resources"
check "manifest: Windows 7" '35138b9a-5d96-4fbd-8e2d-a2440225f93a' "$resources"
check "manifest: Windows 10 and 11" '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' "$resources"
check "manifest: long paths" 'true</longPathAware>' "$resources"
sections=$("$objdump" -h "$exe")
if printf '%s\n' "$sections" | grep -qE '\.debug|\.stab'; then
  echo "FAIL: debug sections in the .exe"
  failures=$((failures + 1))
else
  echo "ok: stripped"
fi
[ "$failures" -eq 0 ] && echo "all checks passed"
