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

# An earlier run's pictures among the user's own things, given as a folder relative to where the
# command runs, which is not the checkout.
pictures=$work/caller/pictures
own=(0001-LoginViewController.png 0042-RoomStatesViewController.png 10000-NoScreen.png)
others=(notes.txt 0000-Login.png 001-Login.png 01000-Login.png "0001-My Login.png" 0001-Écran.png
        0001-Login.png.bak "copy 0001-Login.png" 0001-Login.PNG)
mkdir -p "$pictures/0003-Folder.png"
for name in "${own[@]}" "${others[@]}"; do echo picture >"$pictures/$name"; done
echo theirs >"$work/stranger/0002-Login.png"
echo theirs >"$work/stranger/folder/0004-Login.png"
ln -s "$work/stranger/0002-Login.png" "$pictures/0002-Login.png"
ln -s "$work/stranger/folder" "$pictures/0005-Linked.png"
demo --screens pictures --seconds 2.5
status=$?
[ "$status" -eq 97 ] || fail "the demo stopped with $status before its build: $(cat "$work/stderr")"
for name in "${own[@]}"; do [ ! -e "$pictures/$name" ] || fail "an earlier picture stayed: $name"; done
for name in "${others[@]}" 0003-Folder.png; do [ -e "$pictures/$name" ] || fail "removed: $name"; done
for name in 0002-Login.png 0005-Linked.png; do [ -L "$pictures/$name" ] || fail "removed the link $name"; done
for name in 0002-Login.png folder/0004-Login.png; do
    [ -f "$work/stranger/$name" ] || fail "removed through a link: $name"
done

demo --screens new/deeper
[ -d "$work/caller/new/deeper" ] || fail "a missing folder was not made where the command runs"
demo
[ -d "$work/checkout/build/demo-screens" ] || fail "the default folder is not made in the checkout"
exit "$failed"
