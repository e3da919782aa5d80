#!/usr/bin/env bash
# The Windows installer's round trip under Wine: msi_roundtrip.sh BUILD-DIR
#
# Installs BUILD-DIR's conversor-unidades-<version>-x64.msi silently and checks the files,
# the Start-menu shortcut and the Apps-and-features entry; runs both installed programs;
# installs the next version over it and checks that it took the place of this one, and that
# this one is then refused; uninstalls and checks that nothing is left, on disk or in the
# registry. The next version is the same package rebuilt by wixl with the version raised:
# nothing else is built here (cmake --build BUILD-DIR --target msi comes first). Wine runs in
# a prefix and a Wine server of the round trip's own, made here and stopped at the end, through
# cmake/wine_run.sh. Prints "msi: PASS" or "msi: FAIL: reason" and exits 0 or 1; what it did is
# in BUILD-DIR/msi-roundtrip/.
set -u -o pipefail
build=$(cd "${1:?usage: msi_roundtrip.sh BUILD-DIR}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$build/msi-roundtrip
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
# winemenubuilder would copy the shortcut into this machine's own desktop menu.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
wine() { bash "$source/cmake/wine_run.sh" /usr/lib/wine/wine64 "$@" </dev/null; }
fail() { echo "msi: FAIL: $*"; exit 1; }
c=$WINEPREFIX/drive_c
installed="$c/Program Files/Conversor de unidades"
name="Conversor de unidades"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
msi=$build/conversor-unidades-$version-x64.msi
stage=$build/msi/conversor-unidades-$version-x64
[ -f "$msi" ] || fail "no $msi (cmake --build $build --target msi)"
# The Wine server and the prefix before the first install: started by msiexec, Wine's
# background services would hold this script's output open.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot --init >"$work/wineboot.log" 2>&1 || fail "wineboot could not make a prefix (see $work/wineboot.log)"

property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v p="$2" '$1 == p { print $2 }'; }
# A GUID as the Installer's registry keys name it: the first three groups reversed, the rest
# with the two digits of each byte swapped.
packed() {
    local g=${1//[{\}-]/}
    echo "$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")$(sed 's/\(.\)\(.\)/\2\1/g' <<<"${g:16}")"
}
unpacked() { local p; p=$(packed "$1"); echo "{${p:0:8}-${p:8:4}-${p:12:4}-${p:16:4}-${p:20}}"; }
# The whole registry as text, and the values of one of its keys.
registry() {
    wine regedit /E "$(winepath -w "$work/$1.reg")" || fail "regedit could not export the registry"
    iconv -f UTF-16 -t UTF-8 "$work/$1.reg" | tr -d '\r' >"$work/$1.txt"
}
# (awk -v would take the backslashes of a key's name as escapes: ENVIRON does not.)
key() { K="[${2,,}]" awk 'tolower($0) == ENVIRON["K"] { on = 1; next } /^\[/ { on = 0 } on && NF' "$work/$1.txt"; }
value() { key "$1" "$2" | sed -n "s/^\"$3\"=\"\\(.*\\)\"$/\\1/p" | sed 's/\\\\/\\/g'; }
uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products_key='HKEY_LOCAL_MACHINE\Software\Classes\Installer\Products'
upgrade=$(property "$msi" UpgradeCode)
upgrades_key="HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer\\UpgradeCodes\\$(packed "$upgrade")"
# The shortcuts named as ours anywhere in the prefix: Windows puts a per-machine one in the
# Start menu of all users; Wine 8 puts it in the user's.
shortcuts() { find "$c" -name "$name.lnk"; }

# The package links to the project and to this version's manual.
homepage=$(sed -n 's/^CMAKE_PROJECT_HOMEPAGE_URL:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$homepage" ] && [ "$(property "$msi" ARPURLINFOABOUT)" = "$homepage" ] \
    || fail "the package's ARPURLINFOABOUT is not the project's address ${homepage:-(none)}"
[ "$(property "$msi" ARPHELPLINK)" = "$homepage/blob/v$version/docs/manual.md" ] \
    || fail "the package's ARPHELPLINK is not version $version's manual"

# The next version: the last number raised, as wide as it was (1.00 gives 1.01).
last=${version##*.}
next=${version%.*}.$(printf "%0${#last}d" $((10#$last + 1)))
ln -s "$stage" "$build/msi/icon.ico" "$work/"
# Each version is its own product: the next one gets its own code, derived as the build does.
product=$(property "$msi" ProductCode)
next_product=$(cmake -DNAME="$name" -DVERSION="$next" -P "$source/cmake/msi_codes.cmake")
[ "$product" = "{$(cmake -DNAME="$name" -DVERSION="$version" -P "$source/cmake/msi_codes.cmake")}" ] \
    || fail "the product code $product is not the one derived for $version"
sed -e "s/ Version=\"$version\"/ Version=\"$next\"/" -e "s/ Id=\"${product//[\{\}]/}\"/ Id=\"$next_product\"/" \
    "$build/msi/conversor-unidades.wxs" >"$work/next.wxs"
wixl --arch x64 --output "$work/next.msi" "$work/next.wxs" 2>"$work/wixl.log" \
    || fail "wixl could not build version $next: $(cat "$work/wixl.log")"
[ "$(property "$work/next.msi" ProductVersion)" = "$next" ] || fail "the next package is not $next"
codes=("$(property "$msi" ProductCode)" "$(property "$work/next.msi" ProductCode)")

# Whatever an earlier, interrupted run left installed goes first.
registry before
for leftover in $(key before "$upgrades_key" | sed -n 's/^"\([0-9A-F]*\)"=.*/\1/p'); do
    wine msiexec /x "$(unpacked "$leftover")" /qn || fail "could not remove an earlier install"
done
if [ -e "$installed" ] || [ -n "$(shortcuts)" ]; then
    echo "msi: removing the files an earlier run left behind"
    rm -rf "$installed" && shortcuts | while read -r lnk; do rm -f "$lnk"; done
fi
registry before
# Every key and value line of the registry, each prefixed with its key, so that what the
# round trip leaves shows as new lines; but not the state Wine itself keeps and renews as
# programs start (the machine's System and Hardware keys, the Software\Wine keys, the network
# cards it finds, which a new prefix may list only once its services are up), nor the
# Windows Installer's empty containers, which a fresh prefix gets with its first install and
# every Windows machine has.
flat() {
    local containers='(Features|Products|UpgradeCodes|UserData(\\S-1-5-18(\\(Components|Products))?)?)'
    awk '/^\[/ { k = $0; print; next } NF { print k $0 }' "$work/$1.txt" \
        | grep -v -i -E '^\[HKEY_LOCAL_MACHINE\\(System|Hardware)|^\[[^]]*\\Software\\Wine[]\\]' \
        | grep -v -i -E '^\[HKEY_LOCAL_MACHINE\\Software\\(Wow6432Node\\)?Microsoft\\Windows NT\\CurrentVersion\\NetworkCards[]\\]' \
        | grep -v -i -E "^\[HKEY_LOCAL_MACHINE\\\\Software\\\\(Classes|Microsoft\\\\Windows\\\\CurrentVersion)\\\\Installer(\\\\$containers)?]\$" \
        | LC_ALL=C sort >"$work/$1.flat"
}
flat before
cached=$(find "$c/windows/Installer" -mindepth 1 2>/dev/null | sort)

# Installs PACKAGE and checks what an administrator and a user would see of version VERSION
# with product code CODE: install_and_check PACKAGE VERSION CODE LOG
install_and_check() {
    local package=$1 ver=$2 code=$3 log=$4 file lnk out status icon
    wine msiexec /i "$(winepath -w "$package")" /qn /l*v "$(winepath -w "$work/$log.log")" \
        || fail "msiexec /i $(basename "$package") /qn failed (see $work/$log.log)"
    for file in conversor-unidades.exe conversor.exe LICENSE.txt; do
        cmp -s "$installed/$file" "$stage/$file" || fail "$file is not installed as built"
    done
    lnk=$(shortcuts)
    [ "$(grep -c . <<<"$lnk")" = 1 ] || fail "not one shortcut \"$name\" but: ${lnk:-none}"
    grep -a -q -F 'Conversor de unidades\conversor-unidades.exe' "$lnk" \
        || fail "the shortcut does not open the installed program"
    registry "$log"
    [ "$(value "$log" "$uninstall_key\\$code" DisplayName)" = "$name" ] || fail "no Apps-and-features entry $code"
    [ "$(value "$log" "$uninstall_key\\$code" DisplayVersion)" = "$ver" ] || fail "the entry does not say version $ver"
    [ "$(value "$log" "$uninstall_key\\$code" Publisher)" = "$(property "$package" Manufacturer)" ] \
        || fail "the entry does not name the publisher"
    icon=$(value "$log" "$products_key\\$(packed "$code")" ProductIcon)
    cmp -s "$(winepath -u "$icon" 2>/dev/null)" "$build/msi/icon.ico" \
        || fail "the entry's icon is not the program's (${icon:-none})"
    [ "$(key "$log" "$upgrades_key" | grep -c .)" = 1 ] || fail "not one product with the upgrade code"
    # The entry's links: the project's address and the manual, as the package names them.
    [ "$(value "$log" "$uninstall_key\\$code" URLInfoAbout)" = "$homepage" ] \
        || fail "the entry does not link to $homepage"
    [ "$(value "$log" "$uninstall_key\\$code" HelpLink)" = "$(property "$package" ARPHELPLINK)" ] \
        || fail "the entry's help link is not the package's"
    out=$(wine "C:\\Program Files\\$name\\conversor.exe" 100 C F | tr -d '\r') && [ "$out" = 212.0 ] \
        || fail "installed conversor.exe 100 C F printed \"$out\""
    status=0
    out=$(wine "C:\\Program Files\\$name\\conversor-unidades.exe" --version | tr -d '\r') || status=$?
    [ "$status" = 0 ] && [ "$out" = "conversor-unidades ($name) $version" ] \
        || fail "installed conversor-unidades.exe --version printed \"$out\" (status $status)"
    echo "msi: $ver installed, shortcut ${lnk#"$c/"}"
}

install_and_check "$msi" "$version" "${codes[0]}" install
install_and_check "$work/next.msi" "$next" "${codes[1]}" upgrade
[ -z "$(key upgrade "$uninstall_key\\${codes[0]}")" ] || fail "$version is still registered after the upgrade"
if wine msiexec /i "$(winepath -w "$msi")" /qn /l*v "$(winepath -w "$work/downgrade.log")"; then
    fail "$version installed over $next"
fi
[ -f "$installed/conversor.exe" ] || fail "refusing $version removed $next"
echo "msi: $version refused over $next"

wine msiexec /x "$(winepath -w "$work/next.msi")" /qn /l*v "$(winepath -w "$work/uninstall.log")" \
    || fail "msiexec /x /qn failed (see $work/uninstall.log)"
[ -e "$installed" ] && fail "left behind: $(find "$installed" | tr '\n' ' ')"
[ -n "$(shortcuts)" ] && fail "left behind: $(shortcuts)"
[ "$(find "$c/windows/Installer" -mindepth 1 2>/dev/null | sort)" = "$cached" ] \
    || fail "left behind in C:\\windows\\Installer: $(find "$c/windows/Installer" -mindepth 1 | tr '\n' ' ')"
registry after
flat after
LC_ALL=C comm -13 "$work/before.flat" "$work/after.flat" >"$work/left.txt"
[ -s "$work/left.txt" ] && fail "left behind in the registry: $(head -3 "$work/left.txt" | tr '\n' ' ')"
echo "msi: PASS ($SECONDS s)"
