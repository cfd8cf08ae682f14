#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks what it holds and declares, then unpacks it into a
# throwaway root and runs the installed console there, which proves the programs find their resources.
# Usage: check-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "expected one package, found: ${debs[*]}" >&2
    exit 1
fi
deb="${debs[0]}"
echo "package: $(basename "$deb")"

# Paths in the package, without the leading "./", links shown as "path -> target".
dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); sub(/^\.\//, ""); print }' >"$work/contents"
has() { grep -qxF -- "$1" "$work/contents" || fail "the package lacks $1"; }

share=usr/share/strata/resources
for path in usr/bin/strata usr/bin/strata-cli usr/lib/strata/Strata usr/lib/strata/strata-cli \
    "usr/lib/strata/resources -> ../../share/strata/resources" \
    "$share/font/wqy-microhei.ttc -> /usr/share/fonts/truetype/wqy/wqy-microhei.ttc" \
    "$share/Strata/preset/preset.xml" "$share/Strata/Strata.jpg" "$share/ui/fader/fader.jpg" \
    "$share/ui/fader/faderHor.jpg" "$share/kestrel/Kestrel Logo.png" "$share/Strata/ardent.png" \
    "$share/Strata/brio.png" "$share/Strata/brio-max.png" "$share/Strata/brio-solo.png" \
    usr/share/applications/kestrel-strata.desktop usr/share/icons/hicolor/scalable/apps/kestrel-strata.svg \
    lib/udev/rules.d/60-strata.rules; do
    has "$path"
done
for size in 16 24 32 48 64 128 256 512; do
    has "usr/share/icons/hicolor/${size}x${size}/apps/kestrel-strata.png"
done
# Every shipped resource (translations and factory jingles among them) is in the package.
jingles=0
while IFS= read -r file; do
    has "$share/${file#./}"
    case "$file" in */jingles/origin/*.mp3) jingles=$((jingles + 1)) ;; esac
done < <(cd "$source/resources" && find . -type f | sort)
[ "$jingles" -eq 9 ] || fail "expected the nine factory jingles, found $jingles"

# What the programs need at run time is declared: linked libraries, the ones JUCE opens itself, the font.
depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
# Package names alone, one a line, alternatives and versions dropped.
sed 's/([^)]*)//g; s/[|,]/\n/g' <<<"$depends" | tr -d ' ' | sed '/^$/d' >"$work/depends"
depends_on() { grep -qxF -- "$1" "$work/depends"; }
for package in libc6 libstdc++6 libasound2 libusb-1.0-0 libfreetype6 libx11-6 libxext6 libxcursor1 \
    libxinerama1 libxrandr2 libxrender1 fonts-wqy-microhei; do
    depends_on "$package" || fail "Depends lacks $package"
done
font_owner="$(dpkg -S /usr/share/fonts/truetype/wqy/wqy-microhei.ttc 2>/dev/null | cut -d: -f1 || true)"
[ -z "$font_owner" ] || depends_on "$font_owner" ||
    fail "the linked font belongs to $font_owner, which Depends does not name"

root="$work/root"
dpkg -x "$deb" "$root"
cmp -s "$root/lib/udev/rules.d/60-strata.rules" "$source/packaging/linux/60-strata.rules" ||
    fail "the installed udev rule differs from packaging/linux/60-strata.rules"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/kestrel-strata.desktop" || fail "the desktop entry is invalid"
fi
desktop="$root/usr/share/applications/kestrel-strata.desktop"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
icon_name="$(sed -n 's/^Icon=//p' "$desktop")"
[ -x "$root/usr/bin/$exec_name" ] || fail "the desktop entry starts '$exec_name', which the package does not install"
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon_name.png" ] || fail "the desktop entry's icon '$icon_name' is not installed"
[ -x "$root/usr/lib/strata/Strata" ] || fail "the installed Strata is not executable"

# The installed console, started by full path, through PATH and from elsewhere, reads the installed preset:
# it answers as the console of the build tree does.
export STRATA_HOME="$work/home"
expected="$("$build/bin/strata-cli" param 3 0)"
grep -q '"id": 3' <<<"$expected" || { echo "the build's own strata-cli printed '$expected'" >&2; exit 1; }
by_path="$(cd / && "$root/usr/bin/strata-cli" param 3 0)" || fail "installed strata-cli failed by full path"
on_path="$(cd "$work" && PATH="$root/usr/bin:$PATH" strata-cli param 3 0)" || fail "installed strata-cli failed through PATH"
[ "$by_path" = "$expected" ] || fail "installed strata-cli by full path printed '$by_path', expected '$expected'"
[ "$on_path" = "$expected" ] || fail "installed strata-cli through PATH printed '$on_path', expected '$expected'"
echo "installed strata-cli param 3 0: $on_path"

if [ "$failures" -ne 0 ]; then
    echo "contents:" >&2
    cat "$work/contents" >&2
    exit 1
fi
echo "package ok: $(wc -l <"$work/contents") entries"
