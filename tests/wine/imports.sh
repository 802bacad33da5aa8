# The .exe must run on a clean Windows: it may import only DLLs that every
# Windows has (KERNEL32 and the C runtime).
set -u
objdump=$1
exe=$2
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -u)
echo "imports:" $dlls
bad=$(printf '%s\n' "$dlls" | grep -viE '^(kernel32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$')
if [ -z "$dlls" ] || [ -n "$bad" ]; then
  echo "FAIL: imports other than system DLLs:" $bad
  exit 1
fi
echo "all checks passed"
