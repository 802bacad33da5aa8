# Makes the Wine prefix the other tests share.
set -eu
"$WINE64" wineboot --init > /dev/null 2>&1
"${WINE64%/*}/wineserver" -w 2>/dev/null || wineserver -w
echo "Wine prefix ready in $WINEPREFIX"
