#!/bin/sh
# Runs a test program as the unprivileged user "nobody". For the checks of file permissions that
# a root run would pass for any folder (CI runs as root). Skipped (77) when this is no root run,
# where the suite's own run of the test already counts, or when "nobody" cannot reach the program.
set -eu
if [ "$(id -u)" != 0 ]; then
    echo "not root: the test runs as this user in the suite already"
    exit 77
fi
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
if ! command -v setpriv >/dev/null || ! as_nobody test -x "$1"; then
    echo "the user nobody cannot run $1"
    exit 77
fi
as_nobody env HOME=/nonexistent TMPDIR=/tmp "$@"
