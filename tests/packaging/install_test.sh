#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and uses what was installed:
# the programs, the sample database the menu entry opens, the manual pages
# (lint-free, every option of every command), the completion.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build="${1:?usage: install_test.sh BUILD_DIR VERSION}"
version="${2:?usage: install_test.sh BUILD_DIR VERSION}"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"

for file in bin/verlumo bin/verlumo-db \
    share/applications/verlumo.desktop \
    share/icons/hicolor/scalable/apps/verlumo.svg \
    share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/verlumo.png \
    share/man/man1/verlumo.1.gz share/man/man1/verlumo-db.1.gz \
    share/bash-completion/completions/verlumo-db \
    share/verlumo/sample-db/{Strings,Tree,AircraftItems,FlightStrips,Pictures}.dat \
    "share/verlumo/sample-db/Static texts.rtf" "share/verlumo/sample-db/Static texts add.rtf"; do
    [ -f "$root/$file" ] || fail "$file is not installed"
done
ls "$root"/share/metainfo/*.metainfo.xml >/dev/null || fail "no AppStream metadata installed"
[ -x "$root/bin/verlumo" ] || fail "verlumo is not executable"

out="$("$root/bin/verlumo-db" --version)"
[ "$out" = "verlumo-db $version" ] || fail "--version printed '$out', not 'verlumo-db $version'"

# The menu entry starts the viewer in the installed sample.
sample="$(sed -n 's/^Path=//p' "$root/share/applications/verlumo.desktop")"
[ "$sample" = /usr/share/verlumo/sample-db ] || fail "the menu entry opens '$sample'"
"$root/bin/verlumo-db" check "$dest$sample" | tail -n 1 | grep -q '^consistent: ' ||
    fail "the installed sample is not consistent"

# Each size of the icon is an image of that size.
for size in 16 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/verlumo.png"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width $height" = "$size $size" ] || fail "$png is ${width}x$height"
done

for page in verlumo verlumo-db; do
    warnings="$(zcat "$root/share/man/man1/$page.1.gz" | groff -k -man -Tutf8 -ww -z 2>&1)"
    [ -z "$warnings" ] || fail "$page.1: $warnings"
done
manual="$(zcat "$root/share/man/man1/verlumo-db.1.gz" | groff -k -man -Tutf8 -P -cbou 2>/dev/null | sed 's/\xe2\x88\x92/-/g')"
commands="$("$root/bin/verlumo-db" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }')"
[ -n "$commands" ] || fail "verlumo-db --help lists no commands"
for command in $commands; do
    # Justified lines may stretch the space between the two words.
    grep -qE "^ *verlumo-db +$command" <<<"$manual" || fail "verlumo-db.1 lacks the command $command"
    for option in $("$root/bin/verlumo-db" "$command" --help | grep -o -- '--[a-z-]*' | sort -u); do
        [ "$option" = --help ] && continue
        grep -q -- "$option" <<<"$manual" || fail "verlumo-db.1 lacks $command $option"
        grep -q -- "$option" "$root/share/bash-completion/completions/verlumo-db" ||
            fail "the completion lacks $command $option"
    done
done
bash -n "$root/share/bash-completion/completions/verlumo-db" || fail "the completion is not bash"

echo "installed into a DESTDIR: programs, sample, menu entry, icons, manual pages, completion"
