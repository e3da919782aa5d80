#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest: wine_run.sh WINE PROGRAM [ARGUMENTS...]
#
# Debian's Wine has no preloader to hold its fixed addresses free, so address-space
# randomisation now and then takes one before Wine starts ("failed to map the shared user
# data"): the program runs with randomisation off where the system allows that. And a Wine
# client now and then loses its first exchange with a busy Wine server ("wine client error:
# ... recvmsg: Connection reset by peer") before the program has started; such a start, and
# no failure of the program itself, is tried again, three times in all.
set -u
wine=$1
shift
run=("$wine")
if setarch -R true 2>/dev/null; then
    run=(setarch -R "$wine")
fi
err=$(mktemp)
trap 'rm -f "$err"' EXIT
for try in 1 2 3; do
    status=0
    "${run[@]}" "$@" 2>"$err" || status=$?
    if [ "$status" -eq 0 ] || [ "$try" -eq 3 ] || ! grep -q '^wine client error' "$err"; then
        cat "$err" >&2
        exit "$status"
    fi
    echo "wine_run: Wine did not start the program, trying again" >&2
done
