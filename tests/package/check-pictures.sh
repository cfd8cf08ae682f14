#!/usr/bin/env bash
# The shipped pictures are what their drawings under art/ render to (nobody edited one without the other),
# and they keep the sizes the screen lays them out by.
# Usage: check-pictures.sh SOURCE_DIR
set -euo pipefail
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$source/scripts/render-pictures.sh" "$work"

size() { identify -format '%wx%h' "$1"; }
while IFS= read -r rendered; do
    relative="${rendered#"$work"/}"
    shipped="$source/$relative"
    if [ ! -f "$shipped" ]; then
        fail "$relative is drawn but not shipped"
        continue
    fi
    [ "$(size "$rendered")" = "$(size "$shipped")" ] ||
        { fail "$relative is $(size "$shipped"), its drawing renders $(size "$rendered")"; continue; }
    # Allow for encoder noise, not for a changed drawing.
    differing="$(compare -metric AE -fuzz 3% "$rendered" "$shipped" null: 2>&1 || true)"
    [ "${differing%%.*}" -le 0 ] 2>/dev/null || fail "$relative differs from its drawing in $differing pixels: run scripts/render-pictures.sh"
done < <(find "$work" -type f | sort)

# The panel draws its picture (design width + 2) wide and round((width + 2) * 0.646 * 0.915) high, at 2x.
panel_w=$(((1069 + 2) * 2))
panel_h=$(python3 -c "print(2 * round(1071 * 0.646 * 0.915))")
[ "$(size "$source/resources/Strata/Strata.jpg")" = "${panel_w}x${panel_h}" ] ||
    fail "Strata.jpg is $(size "$source/resources/Strata/Strata.jpg"), the panel needs ${panel_w}x${panel_h}"

# Every model is laid out at Brio Max's size: one height, Brio Max the widest, within the 30 px picture row.
max_w=$(identify -format '%w' "$source/resources/Strata/brio-max.png")
max_h=$(identify -format '%h' "$source/resources/Strata/brio-max.png")
[ "$max_h" -le 60 ] || fail "brio-max.png is $max_h high, more than the picture row at 2x"
for model in ardent brio brio-solo; do
    file="$source/resources/Strata/$model.png"
    [ "$(identify -format '%h' "$file")" -eq "$max_h" ] || fail "$model.png is not as high as brio-max.png"
    [ "$(identify -format '%w' "$file")" -lt "$max_w" ] || fail "$model.png is not narrower than brio-max.png"
done
logo="$source/resources/kestrel/Kestrel Logo.png"
if [ "$(identify -format '%w' "$logo")" -gt 200 ] || [ "$(identify -format '%h' "$logo")" -gt 56 ]; then
    fail "the logo is $(size "$logo"), more than 100 x 28 at 2x"
fi

[ "$failures" -eq 0 ] || exit 1
echo "pictures ok"
