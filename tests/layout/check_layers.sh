#!/usr/bin/env bash
# Checks that every source folder includes only the folders it may: the core
# folders only core folders below them and never Qt, the Qt side only core
# and itself. Prints each include that breaks the rule; exit 1 if any does.
set -euo pipefail
root="${1:?usage: check_layers.sh SOURCE_DIR}"
cd "$root"

core="platform data registry app mainwnd pictures search extra"
declare -A may=(
    [platform]="platform"
    [data]="platform data"
    [registry]="platform registry"
    [app]="platform data registry app"
    [mainwnd]="platform data mainwnd"
    [pictures]="platform data pictures"
    [search]="platform data mainwnd search"
    [extra]="platform data mainwnd extra"
    [platform/qt]="$core platform/qt"
    [painter]="painter"
    [painter/demo]="painter painter/demo"
    [viewer]="$core platform/qt viewer"
    [viewer/main]="$core platform/qt viewer viewer/main"
    [viewer/icons]="$core platform/qt viewer viewer/icons"
    [tools]="$core painter tools"
    [tools/render]="$core platform/qt viewer tools/render"
    [tools/cli]="$core painter platform/qt viewer tools tools/render tools/cli"
)

bad=0
for folder in "${!may[@]}"; do
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] || continue
        while IFS= read -r line; do
            target="${line#*\"}"
            target="${target%\"*}"
            dir="${target%/*}"
            ok=0
            for allowed in ${may[$folder]}; do
                [ "$dir" = "$allowed" ] && ok=1
            done
            if [ $ok -eq 0 ]; then
                echo "$file includes $target: $folder/ may include only ${may[$folder]}"
                bad=1
            fi
        done < <(grep -E '^#include "' "$file" || true)
        case " $core " in
        *" $folder "*)
            if grep -n -E '^#include <Q' "$file"; then
                echo "$file: core code includes Qt"
                bad=1
            fi
            ;;
        esac
    done
done

# Every source folder is named above: a new one must say what it may include.
while IFS= read -r dir; do
    dir="${dir#./}"
    case "$dir" in tests* | fuzz* | bench* | build* | sample* | .*) continue ;; esac
    if [ -z "${may[$dir]+x}" ]; then
        echo "$dir/ holds sources but is not in the layer table of $0"
        bad=1
    fi
done < <(find . -name '*.cpp' -not -path './build*' -printf '%h\n' | sort -u)

[ $bad -eq 0 ] && echo "every include stays within its layer"
exit $bad
