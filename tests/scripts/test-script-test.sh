#!/usr/bin/env bash
# Runs a copy of scripts/test in a checkout of its own where the install step, cmake and ctest are
# stand-ins, to see which folder the screen tests are given for their pictures.
#   test-script-test.sh PATH/TO/scripts/test
set -uo pipefail
# shellcheck source=script-checkout.sh
. "$(dirname -- "${BASH_SOURCE[0]}")/script-checkout.sh"

checkout_with "$1" test 0
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/cmake"
# The test runner notes the folder it passes on to each test program, which runs elsewhere.
printf '#!/bin/sh\nprintf "%%s\\n" "${FLOORPAD_TEST_SCREENS-unset}" >"%s/given"\n' "$work" >"$work/bin/ctest"
chmod +x "$work/bin/"*

# A relative folder is taken from where the command is run; an absolute one, or none, as it is.
for case in "build/test-screens:$work/caller/build/test-screens" "/elsewhere/shots:/elsewhere/shots" "unset:unset"; do
    folder=${case%%:*}
    if [ "$folder" = unset ]; then set -- -u FLOORPAD_TEST_SCREENS; else set -- "FLOORPAD_TEST_SCREENS=$folder"; fi
    rm -f -- "$work/given"
    (cd "$work/caller" && PATH="$work/bin:$PATH" exec env "$@" "$work/checkout/scripts/test") >/dev/null 2>&1 \
        || fail "scripts/test failed with $folder"
    [ "$(cat "$work/given" 2>/dev/null)" = "${case#*:}" ] \
        || fail "with $folder the tests were given $(cat "$work/given" 2>/dev/null), not ${case#*:}"
done
exit "$failed"
