#!/usr/bin/env bash
# The viewer and every reading command of verlumo-db on a write-protected
# copy of a database: each must do its work, and afterwards every file and
# folder of the copy must have the same bytes, size, mode and modification
# time as before, with nothing added. Root ignores the protection, so the
# comparison, not the permissions, is the proof; the registry store, the
# instance lock and the commands' own outputs live outside the copy.
#   readonly_test.sh VERLUMO_DB VERLUMO DATABASE
set -euo pipefail
tool="$(realpath "${1:?usage: readonly_test.sh VERLUMO_DB VERLUMO DATABASE}")"
viewer="$(realpath "${2:?}")"
source_db="$(realpath "${3:?}")"

work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
db="$work/db"
cp -a "$source_db" "$db"
chmod -R a-w "$db"
mkdir -p "$work/registry" "$work/run" "$work/out"
chmod 700 "$work/run"
export VERLUMO_REGISTRY_DIR="$work/registry" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen

snapshot() {
    (cd "$db" && find . -printf '%y %p %s %m %T@\n' | sort && find . -type f -print0 |
        sort -z | xargs -0 sha256sum)
}
before="$(snapshot)"

failures=0
run() {
    local code=0
    "$@" >"$work/out/stdout" 2>"$work/out/stderr" || code=$?
    # 0 and 1 are answers (found or not, consistent or not); 2 and up, or a
    # signal, mean the command could not do its work.
    if [ "$code" -gt 1 ]; then
        echo "FAILED ($code): $*" >&2
        cat "$work/out/stderr" >&2
        failures=$((failures + 1))
    fi
}

# A type with pictures, for the commands that show one.
position="$("$tool" dump "$db" |
    sed -n 's/^ *{"position":\([0-9]*\),"parent":-\{0,1\}[0-9]*,"item":[0-9].*/\1/p' | head -n 1)"
[ -n "$position" ] || { echo "no type in the tree of $db" >&2; exit 1; }

run "$tool" check "$db"
run "$tool" dump "$db"
run "$tool" card "$db" "$position"
run "$tool" card "$db" "$position" --extra
run "$tool" search "$db" "a"
run "$tool" search "$db" "a" --from "$position" --whole-word
run "$tool" pictures "$db" "$position" -o "$work/out/pictures"
run "$tool" render "$db" -o "$work/out/main.png" --select "$position"
run "$tool" render "$db" -o "$work/out/extra.png" --select "$position" --extra
run "$tool" render "$db" -o "$work/out/viewer.png" --select "$position" --viewer 1
run "$tool" unbuild "$db" -o "$work/out/source"

# The viewer itself, from the database as its current directory, closed the
# way a session ends it; it stores its position in the registry store only.
(cd "$db" && exec "$viewer") >"$work/out/viewer.log" 2>&1 &
pid=$!
sleep 3
kill -TERM "$pid" 2>/dev/null || true
code=0
wait "$pid" || code=$?
if [ "$code" -ne 0 ]; then
    echo "FAILED: the viewer ended with $code" >&2
    cat "$work/out/viewer.log" >&2
    failures=$((failures + 1))
fi
if ! grep -q '"FirstItem"' "$work/registry/HKEY_LOCAL_MACHINE.reg"; then
    echo "FAILED: the viewer stored no position" >&2
    failures=$((failures + 1))
fi

after="$(snapshot)"
if [ "$before" != "$after" ]; then
    echo "FAILED: the database changed:" >&2
    diff <(echo "$before") <(echo "$after") >&2 || true
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] && echo "12 runs on a read-only database, nothing written to it"
exit "$failures"
