#!/usr/bin/env bash
# The steps of the Windows packages that make them the same bytes from the same sources, run by
# cmake/msi.cmake on a Unix build machine:
#   windows_package.sh stage STAGE-DIR             fixed modes and file times; the programs signed
#   windows_package.sh zip ZIP                     the ZIP's entries sorted, their times and modes fixed
#   windows_package.sh msi MSI VERSION SOURCE-DIR  the installer's package code and dates; signed
#
# The time is SOURCE_DATE_EPOCH, else the source's last commit, else now. The installer's
# dates and the cabinet's and ZIP's file times are read and written as local time, so they
# are written under UTC here, whatever the caller's time zone.
#
# Signing (Authenticode, SHA-256, with osslsigncode) happens only when TARVEL_SIGN_PKCS12 names
# a PKCS#12 key and certificate and TARVEL_SIGN_PASSWORD_FILE the file holding its password;
# TARVEL_SIGN_TIMESTAMP_URL adds a timestamp from that server. Without a key nothing is signed.
set -euo pipefail
export TZ=UTC LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)

epoch() {
    if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
        echo "$SOURCE_DATE_EPOCH"
    else
        git -C "$here/.." log -1 --format=%ct 2>/dev/null || date +%s
    fi
}

# sign FILE...: each file signed in place, when a key is given.
sign() {
    [ -n "${TARVEL_SIGN_PKCS12:-}" ] || return 0
    local file timestamp=()
    [ -n "${TARVEL_SIGN_PASSWORD_FILE:-}" ] || {
        echo "windows_package: TARVEL_SIGN_PKCS12 is set but TARVEL_SIGN_PASSWORD_FILE is not" >&2
        exit 1
    }
    [ -z "${TARVEL_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$TARVEL_SIGN_TIMESTAMP_URL")
    for file in "$@"; do
        osslsigncode sign -pkcs12 "$TARVEL_SIGN_PKCS12" -readpass "$TARVEL_SIGN_PASSWORD_FILE" \
            -h sha256 -n "Conversor de unidades" \
            -i "https://github.com/conversor-unidades/conversor-unidades" "${timestamp[@]}" \
            -in "$file" -out "$file.signed" >/dev/null
        mv -f "$file.signed" "$file"
        echo "windows_package: signed $(basename "$file")"
    done
}

case ${1:-} in
stage)
    stage=$2
    sign "$stage"/*.exe
    # wixl copies each file's time into the cabinet; the ZIP's are fixed after it is written.
    find "$stage" -type d -exec chmod 755 {} +
    find "$stage" -type f -exec chmod 644 {} +
    chmod 755 "$stage"/*.exe
    find "$stage" -exec touch -h -d "@$(epoch)" {} +
    ;;
zip)
    # Entries sorted by name, times from the epoch, modes 644 or 755, no owners.
    strip-nondeterminism --type zip --timestamp "$(epoch)" "$2" >/dev/null
    ;;
msi)
    msi=$2 version=$3 source=$4
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    # wixl writes a random package code and the time of the build: the dates become the
    # epoch and the code a placeholder, then the code is derived from the package so made.
    date=$(date -u -d "@$(epoch)" '+%Y/%m/%d %H:%M:%S')
    summary() {
        msiinfo export "$msi" _SummaryInformation | tr -d '\r' |
            awk -F'\t' -v OFS='\t' -v code="$1" -v date="$date" \
                '$1 == "9" { $2 = "{" code "}" } $1 == "12" || $1 == "13" { $2 = date } { print $0 "\r" }' \
                >"$work/_SummaryInformation.idt"
        (cd "$work" && msibuild "$msi" -i _SummaryInformation.idt)
    }
    summary 00000000-0000-0000-0000-000000000000
    payload=$(sha256sum "$msi" | cut -d' ' -f1)
    summary "$(cmake -DVERSION="$version" -DPAYLOAD="$payload" -P "$source/cmake/msi_codes.cmake")"
    sign "$msi"
    ;;
*)
    echo "usage: windows_package.sh stage DIR | zip ZIP | msi MSI VERSION SOURCE-DIR" >&2
    exit 2
    ;;
esac
