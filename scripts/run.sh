#!/usr/bin/env bash
# Installs what is missing, builds Strata and starts it. Arguments go to Strata (e.g. --virtual-device).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
cmake --build "$root/build" --target Strata
exec "$root/build/bin/Strata" "$@"
