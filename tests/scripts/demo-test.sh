#!/usr/bin/env bash
# Runs a copy of scripts/demo in a checkout of its own whose install step stops it with 97, so
# it reads its options and makes the pictures' folder ready, but never builds or starts anything.
#   demo-test.sh PATH/TO/scripts/demo
set -uo pipefail
export LC_ALL=C.UTF-8 # as a user runs it, where letters reach beyond ASCII
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

mkdir -p "$work/checkout/scripts" "$work/caller" "$work/stranger/folder"
cp -- "$1" "$work/checkout/scripts/demo"
printf '#!/bin/sh\nexit 97\n' >"$work/checkout/scripts/install-deps"
chmod +x "$work/checkout/scripts/demo" "$work/checkout/scripts/install-deps"
demo() { (cd "$work/caller" && exec "$work/checkout/scripts/demo" "$@") 2>"$work/stderr"; }

for args in "--seconds" "--screens" "--seconds soon" "--seconds 5 --screens" "--speed 2"; do
    # shellcheck disable=SC2086 # each case is its words
    demo $args
    status=$?
    if [ "$status" -ne 2 ] || ! grep -qx 'usage: scripts/demo \[--seconds N\] \[--screens DIR\]' "$work/stderr"; then
        fail "scripts/demo $args: exit $status, wanted the usage line and 2: $(cat "$work/stderr")"
    fi
done

# A folder of the user's own pictures, numbered by date and count as people do, given relative to
# where the command runs, which is not the checkout. The program alone removes what it recorded
# writing, once it runs; the demo itself takes nothing from such a folder.
pictures=$work/caller/pictures
own=(2023-Christmas.png 2024-holiday_beach.png 20240101-receipt.png 0001-IMG_4021.png 0042-scan.png
     1999-map.png keep.png 0001-LoginViewController.png .floorpad-screens.json)
mkdir -p "$pictures/0003-Folder.png"
for name in "${own[@]}"; do echo picture >"$pictures/$name"; done
echo theirs >"$work/stranger/0002-Login.png"
ln -s "$work/stranger/0002-Login.png" "$pictures/0002-Login.png"
demo --screens pictures --seconds 2.5
status=$?
[ "$status" -eq 97 ] || fail "the demo stopped with $status before its build: $(cat "$work/stderr")"
for name in "${own[@]}" 0003-Folder.png 0002-Login.png; do [ -e "$pictures/$name" ] || fail "removed: $name"; done
[ -L "$pictures/0002-Login.png" ] || fail "removed the link"
[ -f "$work/stranger/0002-Login.png" ] || fail "removed through a link"

# Missing folders are made as the program makes them: usable by their owner under any mask.
(umask 0277 && demo --screens new/deeper)
[ -d "$work/caller/new/deeper" ] || fail "a missing folder was not made where the command runs"
(umask 0277 && demo)
[ -d "$work/checkout/build/demo-screens" ] || fail "the default folder is not made in the checkout"
for folder in caller/new caller/new/deeper checkout/build checkout/build/demo-screens; do
    mode=$(stat -c %a -- "$work/$folder")
    [ "$mode" = 700 ] || fail "$folder was made mode $mode under umask 0277"
done
(umask 0022 && demo --screens open)
mode=$(stat -c %a -- "$work/caller/open")
[ "$mode" = 755 ] || fail "a folder was made mode $mode under umask 0022"

# A link to something missing where the pictures go is named as one, and nothing is made through
# it: the default folder and build/ on the way are the project's own, so no link may stand there;
# a folder the user names, or one on the way to it, is followed only to something there.
for case in "checkout/build/demo-screens::build/demo-screens is a link, which is not followed there" \
            "checkout/build::build is a link, which is not followed there" \
            "caller/later:--screens later:later is a link to something missing" \
            "caller/later:--screens later/deeper:later is a link to something missing"; do
    link=${case%%:*} rest=${case#*:}
    args=${rest%%:*} said=${rest#*:}
    rm -rf -- "$work/checkout/build" "$work/caller/later"
    mkdir -p -- "$(dirname -- "$work/$link")"
    ln -s -- "$work/gone" "$work/$link"
    # shellcheck disable=SC2086 # each case is its words
    demo $args
    status=$?
    [ "$status" -eq 1 ] || fail "$link a link to something missing: the demo ended with $status"
    grep -qF -- "$said" "$work/stderr" || fail "$link a link to something missing: not said: $(cat "$work/stderr")"
    [ -e "$work/gone" ] && fail "$link a link to something missing: the demo made what it names"
    [ -L "$work/$link" ] || fail "$link a link to something missing: the link was replaced"
done
exit "$failed"
