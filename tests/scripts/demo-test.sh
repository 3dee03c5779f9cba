#!/usr/bin/env bash
# Runs a copy of scripts/demo in a checkout of its own whose install step stops it with 97, so
# it reads its options and makes the pictures' folder ready, but never builds or starts anything.
#   demo-test.sh PATH/TO/scripts/demo
set -uo pipefail
export LC_ALL=C.UTF-8 # as a user runs it, where letters reach beyond ASCII
# shellcheck source=script-checkout.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/script-checkout.sh"

checkout_with "$1" demo 97
mkdir -p "$work/stranger/folder"
demo() { (cd "$work/caller" && exec "$work/checkout/scripts/demo" "$@") 2>"$work/stderr"; }

# A usage error says the usage line first, then the argument at fault, and ends with 2.
for case in "--seconds:--seconds needs a value" "--screens:--screens needs a value" \
            "--seconds soon:--seconds soon is not a number of seconds" "--seconds 5 --screens:--screens needs a value" \
            "--speed 2:cannot take --speed" "--bogus:cannot take --bogus"; do
    args=${case%%:*}
    # shellcheck disable=SC2086 # each case is its words
    demo $args
    status=$?
    if [ "$status" -ne 2 ] || [ "$(head -n 1 "$work/stderr")" != 'usage: scripts/demo [--seconds N] [--screens DIR]' ] \
        || [ "$(tail -n 1 "$work/stderr")" != "scripts/demo: ${case#*:}" ]; then
        fail "scripts/demo $args: exit $status, wanted the usage line, then ${case#*:}, and 2: $(cat "$work/stderr")"
    fi
done
# An empty value, as a script passes for a variable it never set, is no value: nothing is made, and
# above all not the default folder, which the demo empties.
for option in --screens --seconds; do
    demo "$option" ""
    status=$?
    if [ "$status" -ne 2 ] || [ "$(tail -n 1 "$work/stderr")" != "scripts/demo: $option needs a value" ]; then
        fail "scripts/demo $option '': exit $status, wanted $option needs a value and 2: $(cat "$work/stderr")"
    fi
    [ -e "$work/checkout/build" ] && fail "scripts/demo $option '' made $(cd "$work/checkout" && find build)"
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
# Where something that is not a folder stands on the way, the folder cannot be made: the demo
# names it and stops, and nothing is made there. So it does for a link to something missing deeper
# down the path, which it names, not the path's first part.
echo "the user's" >"$work/caller/afile"
mkdir -p "$work/caller/real/dir"
ln -s -- "$work/gone" "$work/caller/real/dir/dangling"
for case in "afile:afile is not a folder" "afile/sub:afile is not a folder" \
            "real/dir/dangling/sub:real/dir/dangling is a link to something missing"; do
    demo --screens "${case%%:*}"
    status=$?
    [ "$status" -eq 1 ] || fail "--screens ${case%%:*}: the demo ended with $status"
    grep -qxF -- "scripts/demo: ${case#*:}, so the demo stops and makes nothing there" "$work/stderr" \
        || fail "--screens ${case%%:*}: not said that ${case#*:}: $(cat "$work/stderr")"
done
[ "$(cat "$work/caller/afile")" = "the user's" ] || fail "the demo changed a file it was given as its folder"
[ -e "$work/gone" ] && fail "the demo made what a link deeper down names"
[ "$(ls -A "$work/caller/real/dir")" = dangling ] || fail "the demo made something beside a link deeper down"

# The default folder's build/ a link even to a real folder is no folder of the project's: the demo
# says so, stops and makes nothing through it.
rm -rf -- "$work/checkout/build"
mkdir -p "$work/real-build"
ln -s -- "$work/real-build" "$work/checkout/build"
demo
status=$?
[ "$status" -eq 1 ] || fail "build a link to a folder: the demo ended with $status"
grep -qF "build is a link, which is not followed there" "$work/stderr" \
    || fail "build a link to a folder: not said: $(cat "$work/stderr")"
[ -z "$(ls -A "$work/real-build")" ] || fail "build a link to a folder: the demo made $(ls -A "$work/real-build") through it"
rm -f -- "$work/checkout/build"
# A file where the default folder would be is named as one too.
mkdir -p "$work/checkout/build"
echo "the user's" >"$work/checkout/build/demo-screens"
demo
status=$?
[ "$status" -eq 1 ] || fail "build/demo-screens a file: the demo ended with $status"
grep -qF "build/demo-screens is not a folder" "$work/stderr" || fail "build/demo-screens a file: not said: $(cat "$work/stderr")"
exit "$failed"
