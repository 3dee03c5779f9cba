# Sourced by the tests of the project's scripts: a scratch folder removed at exit, failures
# counted, and a checkout of its own in it for a copy of the script under test.

# The test's own files are made usable whatever mask it inherits; a case that tries a mask names it.
umask 022
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

# checkout_with SCRIPT NAME STATUS: $work/checkout/scripts/NAME, a copy of SCRIPT, beside an
# install step that ends with STATUS.
checkout_with() {
    mkdir -p "$work/checkout/scripts" "$work/caller"
    cp -- "$1" "$work/checkout/scripts/$2"
    printf '#!/bin/sh\nexit %s\n' "$3" >"$work/checkout/scripts/install-deps"
    chmod +x "$work/checkout/scripts/$2" "$work/checkout/scripts/install-deps"
}
