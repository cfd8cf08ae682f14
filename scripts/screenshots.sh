#!/usr/bin/env bash
# Pictures of the main screen in demo mode (the virtual mixer and DSP), in English and in Chinese, at UI
# scale 1 and 2: docs/main-english.png, docs/main-chinese.png, docs/main-english-2x.png and
# docs/main-chinese-2x.png. Each starts on a fresh home, so the language is the system's (LANG). Needs a built
# Strata (build/bin/Strata, or the folder given as $1), xvfb-run, xdotool and ImageMagick.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${1:-$root/build/bin}"
out="$root/docs"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

shoot() { # language-variable name width height
    local lang="$1" name="$2" width="$3" height="$4"
    STRATA_HOME="$home/$name" LANG="$lang" LANGUAGE="" LC_ALL="" LC_MESSAGES="" \
        xvfb-run -a -s "-screen 0 2400x1600x24" bash -c '
        "$0" --virtual-device & pid=$!
        for _ in $(seq 100); do
            win=$(xdotool search --pid "$pid" --name "^Strata" 2>/dev/null | head -n1) && [ -n "$win" ] && break
            sleep 0.2
        done
        [ -n "${win:-}" ] || { echo "no window" >&2; kill "$pid"; exit 1; }
        xdotool windowmove --sync "$win" 0 0 || true
        xdotool windowsize --sync "$win" "$1" "$2" || true
        sleep 4   # connected, synchronised, the meter moving
        import -window "$win" "$3"
        kill "$pid"; wait "$pid" || true' "$bin/Strata" "$width" "$height" "$out/$name.png"
    echo "wrote docs/$name.png"
}

shoot C.UTF-8 main-english 1069 691
shoot zh_CN.UTF-8 main-chinese 1069 691
shoot C.UTF-8 main-english-2x 2138 1382
shoot zh_CN.UTF-8 main-chinese-2x 2138 1382
