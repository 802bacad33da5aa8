# Runs clang-tidy over the given sources, two at a time; fails on any
# finding (.clang-tidy makes every warning an error).
set -u
tidy=$1
build=$2
shift 2
printf '%s\n' "$@" | xargs -P "$(nproc)" -n 2 "$tidy" -p "$build" --quiet
