#!/usr/bin/env bash
# Starts the program, building a release build first if needed. With --demo it starts on a
# throwaway data root holding the sample kinds and a few dozen protocols; every other argument
# goes to the program (--data-root DIR chooses the data root).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
build="$root/build/release"

demo=0
args=()
for a in "$@"; do
  if [ "$a" = "--demo" ]; then demo=1; else args+=("$a"); fi
done

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$build" -j2 --target velmora velmora-demo > /dev/null

if [ "$demo" = 1 ]; then
  data="$(mktemp -d -t velmora-demo.XXXXXX)"
  trap 'rm -rf "$data"' EXIT
  "$root/scripts/demo-data" "$data" "$build"
  echo "run.sh: demo data root $data (removed when the program ends)"
  args=(--data-root "$data" "${args[@]}")
fi

"$build/src/app/velmora" "${args[@]}"
