#!/usr/bin/env bash
# Runs a copy of scripts/demo past its build, in a checkout of its own where cmake, the install
# step, the program and the venue server are stand-ins, to see what the demo does to the
# pictures' folders around its build: when the build fails, and when it succeeds. The folder
# holder is the real one.
#   demo-run-test.sh PATH/TO/scripts/demo PATH/TO/hold-screens-folder
set -uo pipefail
export LC_ALL=C.UTF-8
# The test's own files, the stand-ins among them, are made usable whatever mask it inherits; each
# run of the demo names the mask it is tried under where that matters.
umask 022
unset BUILD_DIR
work=$(mktemp -d)
scratch=""
# The process group of a demo running in the background, while it runs: ended with the test.
group=""
trap 'if [ -n "$group" ]; then kill -KILL -- "-$group" 2>/dev/null; fi; rm -rf -- "$work" ${scratch:+"$scratch"}' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

demo_script=$1
hold=$2
# Sets up ROOT/checkout with the demo and the stand-ins, which note what they see in ROOT.
stand_ins() {
    local root=$1 hold=$2 checkout=$1/checkout
    mkdir -p "$checkout/scripts" "$root/bin" "$root/stubs" "$root/caller"
    cp -- "$demo_script" "$checkout/scripts/demo"
    printf '#!/bin/sh\nexit 0\n' >"$checkout/scripts/install-deps"
    # The program notes how it was started. As the real one, it runs until SIGINT or SIGTERM
    # when given no --seconds, and then writes its picture and ends well.
    cat >"$root/stubs/floorpad" <<EOF
#!/bin/sh
printf '%s\\n' "\$@" >"$root/program-args"
screens= until_stopped=yes stopped=
while [ \$# -gt 1 ]; do
    case \$1 in --screens) screens=\$2 ;; --seconds) until_stopped= ;; esac
    shift
done
trap 'stopped=yes' INT TERM
if [ -n "\$until_stopped" ]; then
    : >"$root/program-running"
    while [ -z "\$stopped" ]; do sleep 0.1; done
fi
echo picture >"\$screens/0007-RoomFloorViewController.png"
EOF
    # The venue server appends to its log, names its two ports as the real one does and stays
    # until the demo ends it (or Ctrl-C does).
    cat >"$root/stubs/venue-sim" <<EOF
#!/bin/sh
while [ \$# -gt 1 ]; do [ "\$1" != --log ] || echo started >>"\$2"; shift; done
echo "listening on 127.0.0.1:40001"
echo "pictures on 127.0.0.1:40002"
exec cat >/dev/null
EOF
    # Configuring does nothing but note the file mask. The build notes what the default folder
    # holds while it runs, then fails when told to, or makes the two programs.
    cat >"$root/bin/cmake" <<EOF
#!/bin/sh
umask >>"$root/cmake-umasks"
[ "\$1" = --build ] || exit 0
ls -A "$checkout/build/demo-screens" >"$root/during-build" 2>/dev/null
[ -e "$root/build-fails" ] && exit 1
mkdir -p "\$2/app" "\$2/tools/venue-sim" "\$2/tools/hold-screens-folder"
cp "$root/stubs/floorpad" "\$2/app/floorpad"
cp "$root/stubs/venue-sim" "\$2/tools/venue-sim/venue-sim"
cp "$hold" "\$2/tools/hold-screens-folder/hold-screens-folder"
EOF
    chmod +x "$checkout/scripts/demo" "$checkout/scripts/install-deps" "$root/stubs/"* "$root/bin/cmake"
}
stand_ins "$work" "$hold"
checkout=$work/checkout
demo() { (cd "$work/caller" && PATH="$work/bin:$PATH" exec "$checkout/scripts/demo" "$@") >"$work/stdout" 2>"$work/stderr"; }

# The user's folder holds pictures named as the program names its own, and other things; the
# default folder holds pictures of an earlier run.
pictures=$work/caller/pictures
default=$checkout/build/demo-screens
theirs=(0001-InitViewController.png 0002-RoomFloorViewController.png notes.txt .floorpad-screens.json)
earlier=(0001-InitViewController.png 0005-RoomFloorViewController.png)
mkdir -p "$pictures" "$default"
for name in "${theirs[@]}"; do echo theirs >"$pictures/$name"; done
for name in "${earlier[@]}"; do echo earlier >"$default/$name"; done
users_folder_stays() {
    for name in "${theirs[@]}"; do [ -e "$pictures/$name" ] || fail "$1: removed $name from the user's folder"; done
}

# A failed build loses nothing, and starts nothing.
touch "$work/build-fails"
for args in "--screens pictures" ""; do
    # shellcheck disable=SC2086 # each case is its words
    demo $args && fail "the demo went on past a failed build (${args:-default folder})"
    [ -e "$work/during-build" ] || fail "the demo stopped before its build (${args:-default folder}): $(cat "$work/stderr")"
    rm -f -- "$work/during-build"
    users_folder_stays "a failed build (${args:-default folder})"
    for name in "${earlier[@]}"; do [ -e "$default/$name" ] || fail "a failed build removed $name (${args:-default folder})"; done
done
[ -e "$work/program-args" ] && fail "the program ran after a failed build"
rm -f -- "$work/build-fails"

# A folder the user names is left to the program, which alone knows what it wrote there.
demo --screens pictures --seconds 1 || fail "the demo failed with the user's folder: $(cat "$work/stderr")"
users_folder_stays "the user's folder"
grep -qxF -- "$pictures" "$work/program-args" || fail "the program was not given the user's folder"
for setting in Server_Port=40001 webService_Port=40002; do
    grep -qxF -- "$setting" "$work/program-args" || fail "the program was not given $setting"
done

# Nor while another run holds it: that run's pictures stay, and the demo stops. The folder is held
# as the program holds it, by its lock file in the folder, which the holder makes.
lock=$default/.floorpad-screens.lock
"$hold" "$default" sh -c "echo \$\$ >'$work/held.tmp'; mv '$work/held.tmp' '$work/held'; exec sleep 30" \
    </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 100); do [ -e "$work/held" ] && break; sleep 0.1; done
demo && fail "the demo ran on a folder another run held"
kill "$(cat "$work/held")"
wait "$holder"
for name in "${earlier[@]}"; do [ -e "$default/$name" ] || fail "$name was removed while another run held the folder"; done
grep -q "another run is using it: process $holder of this account holds build/demo-screens/.floorpad-screens.lock" \
    "$work/stderr" || fail "the demo did not say why it stopped: $(cat "$work/stderr")"
rm -f -- "$work/program-args"

# A lock it cannot trust stops it too, and is neither followed nor written: a link to a file that
# is not there yet, and a file of the user's linked in under the lock's name.
rm -f -- "$lock"
ln -s -- "$work/not-there" "$lock"
demo && fail "the demo ran with a link for its lock"
[ -e "$work/not-there" ] && fail "the demo made the file a link for its lock led to"
grep -q "cannot be used: it is a link" "$work/stderr" || fail "the demo did not say the lock is a link: $(cat "$work/stderr")"
rm -f -- "$lock"
(umask 077 && echo 'my precious notes' >"$work/notes.txt")
ln -- "$work/notes.txt" "$lock"
demo || fail "the demo failed with a lock that is another link of the user's file: $(cat "$work/stderr")"
[ "$(cat "$work/notes.txt")" = 'my precious notes' ] || fail "the demo wrote the user's file linked in as its lock"
rm -f -- "$lock" "$work/program-args"
for name in "${earlier[@]}"; do echo earlier >"$default/$name"; done

# The default folder is the project's own: emptied of pictures, once the build has succeeded. Its
# data folder, made afresh, is one the program accepts (no other account may write it) under any
# file mask.
rm -rf -- "$checkout/build/demo-data"
if [ "$(id -u)" = 0 ]; then
    echo theirs >"$default/0009-Theirs.png"
    chown 65534 -- "$default/0009-Theirs.png"
fi
(umask 002 && demo) || fail "the demo failed with the default folder: $(cat "$work/stderr")"
if [ "$(id -u)" = 0 ]; then
    [ -e "$default/0009-Theirs.png" ] || fail "the demo removed another account's picture"
fi
data_mode=$(stat -c %a -- "$checkout/build/demo-data")
[ "$data_mode" = 700 ] || fail "the demo's data folder was made mode $data_mode"
for name in "${earlier[@]}"; do
    grep -qxF -- "$name" "$work/during-build" || fail "$name was removed before the build had succeeded"
    [ -e "$default/$name" ] && fail "$name of an earlier run is still in the default folder"
done
grep -qxF -- "$default" "$work/program-args" || fail "the program was not given the default folder"
[ -f "$lock" ] || fail "the demo did not make the lock file of the default folder, or removed it"

# A data folder an older demo left open to the group is taken back; one that is a link to a shared
# folder is left to the program, which refuses it, and nothing is changed through it.
chmod 775 -- "$checkout/build/demo-data"
demo || fail "the demo failed with a data folder an older demo left: $(cat "$work/stderr")"
data_mode=$(stat -c %a -- "$checkout/build/demo-data")
[ "$data_mode" = 755 ] || fail "the data folder an older demo left is mode $data_mode"
# Run by root, the demo leaves another account's data folder as it is; the program refuses it.
if [ "$(id -u)" = 0 ]; then
    chmod 775 -- "$checkout/build/demo-data"
    chown 65534 -- "$checkout/build/demo-data"
    demo
    data_mode=$(stat -c %a -- "$checkout/build/demo-data")
    [ "$data_mode" = 775 ] || fail "the demo run by root changed another account's data folder to mode $data_mode"
fi
rm -rf -- "$checkout/build/demo-data"
mkdir -p "$work/team"
chmod 2777 -- "$work/team"
ln -s "$work/team" "$checkout/build/demo-data"
demo
team_mode=$(stat -c %a -- "$work/team")
[ "$team_mode" = 2777 ] || fail "the demo changed the mode of a shared folder through a link: $team_mode"
# The folder holder ends with its command's exit status, 128 and the number of a signal that ended
# it, 127 for a command it cannot run, and 2 for a usage error.
for case in "3:sh -c 'exit 3'" "143:sh -c 'kill -TERM \$\$'" "127:./no-such-command" "2:" "0:true"; do
    want=${case%%:*}
    # shellcheck disable=SC2086 # each case is its words
    eval "\"\$hold\" \"\$work/held-folder\" ${case#*:}" </dev/null >/dev/null 2>&1
    status=$?
    [ "$status" = "$want" ] || fail "the folder holder ended with $status, not $want, for: ${case#*:}"
done
# An option it does not know, however near to --no-links, is a usage error that names it: exit 2,
# the usage line first, and no folder made after it where the holder runs. "--" ends the options.
mkdir -p "$work/holder-runs"
for option in --No-links --no-link --bogus -n; do
    (cd "$work/holder-runs" && exec "$hold" "$option" held true) </dev/null >/dev/null 2>"$work/holder-said"
    status=$?
    [ "$status" = 2 ] || fail "the folder holder ended with $status, not 2, for $option"
    [ "$(head -n 1 "$work/holder-said")" = "usage: $hold [--no-links] DIR COMMAND [ARG]..." ] \
        && grep -qxF -- "$hold: cannot take $option" "$work/holder-said" \
        || fail "the folder holder did not name $option after its usage: $(cat "$work/holder-said")"
    made=$(ls -A "$work/holder-runs")
    [ -z "$made" ] || fail "the folder holder made $made for $option"
done
(cd "$work/holder-runs" && exec "$hold" --no-links -- held true) </dev/null >/dev/null 2>&1 \
    || fail "the folder holder did not take -- as the end of its options"
[ "$(ls -A "$work/holder-runs")" = held ] || fail "the folder holder made $(ls -A "$work/holder-runs") for -- held"

# A default folder that is a link, or that a link on the way leads to, is no folder of the
# project's: nothing is removed through it, the demo says why and stops.
mkdir -p "$work/Pictures"
for name in holiday.png 0001-InitViewController.png; do echo "the user's" >"$work/Pictures/$name"; done
rm -rf -- "$default"
ln -s -- "$work/Pictures" "$default"
demo && fail "the demo went on with a default folder that is a link"
grep -q "build/demo-screens is a link, which is not followed there" "$work/stderr" \
    || fail "the demo did not say its folder is a link: $(cat "$work/stderr")"
rm -f -- "$default"
mv -- "$checkout/build" "$work/elsewhere"
ln -s -- "$work/elsewhere" "$checkout/build"
mv -- "$work/Pictures" "$work/elsewhere/demo-screens"
demo && fail "the demo went on with build/ a link"
grep -q "build is a link, which is not followed there" "$work/stderr" \
    || fail "the demo did not say build/ is a link: $(cat "$work/stderr")"
for name in holiday.png 0001-InitViewController.png; do
    [ -e "$work/elsewhere/demo-screens/$name" ] || fail "the demo removed $name through a link"
done
rm -f -- "$checkout/build"

# Ctrl-C at a terminal signals the whole foreground group: the demo, the venue server, which is
# gone by the time the demo ends, and the program, which stops as asked, writes its picture and
# ends well. So does the demo, once it has listed the pictures. A test started in the background
# of a shell without job control has SIGINT ignored, which no shell can take back: here it is
# ignored on purpose, whatever the test inherited, and the demo starts with it as a terminal
# leaves it. A demo that does not end in time is ended.
ended_within() {
    local state
    for _ in $(seq "$(($1 * 10))"); do
        state=$(ps -o stat= -p "$2")
        [ -z "$state" ] || [[ $state == Z* ]] && return 0
        sleep 0.1
    done
    return 1
}
set -m
(trap '' INT && cd "$work/caller" && PATH="$work/bin:$PATH" exec env --default-signal=INT "$checkout/scripts/demo" \
    --seconds 0 --screens pictures) >"$work/stdout" 2>"$work/stderr" &
group=$!
set +m
for _ in $(seq 100); do [ -e "$work/program-running" ] && break; sleep 0.1; done
[ -e "$work/program-running" ] || fail "the program did not run until stopped: $(cat "$work/stderr")"
kill -INT -- "-$group" 2>/dev/null
if ! ended_within 10 "$group"; then
    fail "the demo did not end on Ctrl-C"
    kill -KILL -- "-$group" 2>/dev/null
fi
wait "$group"
status=$?
group=""
[ "$status" = 0 ] || fail "the demo ended with $status on Ctrl-C: $(cat "$work/stderr")"
grep -q "unbound variable" "$work/stderr" && fail "the demo stumbled on Ctrl-C: $(cat "$work/stderr")"
grep -qxF 0007-RoomFloorViewController.png "$work/stdout" \
    || fail "the demo did not list the pictures on Ctrl-C: $(cat "$work/stdout")"

# Under the strictest file-creation mask its owner may still use all the demo makes, the build's
# files and logs included, as run by root and by an account that the modes do bind.
owner_may_use() {
    local root=$1 label=$2 mask unusable
    [ -s "$root/cmake-umasks" ] || fail "$label: the build did not run"
    while read -r mask; do
        (( 8#$mask & 8#700 )) && fail "$label: the build ran under umask $mask"
    done <"$root/cmake-umasks"
    for made in release/app/floorpad demo-screens demo-data demo-venue.log; do
        [ -e "$root/checkout/build/$made" ] || fail "$label: the demo did not make build/$made"
    done
    unusable=$(find "$root/checkout/build" \( -type d ! -perm -u=rwx \) -o \( ! -type d ! -type l ! -perm -u=rw \) \
        -printf '%m %P\n')
    [ -z "$unusable" ] || fail "$label: the owner may not use what the demo made:"$'\n'"$unusable"
}
rm -rf -- "$checkout/build" "$work/cmake-umasks"
(umask 0277 && demo) || fail "the demo failed under umask 0277: $(cat "$work/stderr")"
owner_may_use "$work" "under umask 0277"
# Root may use anything whatever its mode, so the demo runs again as an account that may not.
skipped="skipped: the demo as another account under umask 0277"
if [ "$(id -u)" != 0 ]; then
    echo "$skipped: only root may run it as another account"
elif ! command -v setpriv >/dev/null; then
    echo "$skipped: setpriv is missing"
else
    nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    scratch=$(mktemp -d)
    cp -- "$hold" "$scratch/hold-screens-folder"
    stand_ins "$scratch" "$scratch/hold-screens-folder"
    chown -R 65534:65534 -- "$scratch"
    if ! "${nobody[@]}" test -w "$scratch/caller"; then
        echo "$skipped: that account may not reach $scratch"
    else
        (cd "$scratch/caller" && umask 0277 && PATH="$scratch/bin:$PATH" \
            exec "${nobody[@]}" "$scratch/checkout/scripts/demo") >"$work/stdout" 2>"$work/stderr" \
            || fail "the demo failed as another account under umask 0277: $(cat "$work/stderr")"
        owner_may_use "$scratch" "as another account under umask 0277"
    fi
fi
exit "$failed"
