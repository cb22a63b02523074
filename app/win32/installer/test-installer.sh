#!/usr/bin/env bash
# The installer's round trip in the test Wine prefix (WINEPREFIX): install
# silently, run the installed program's self-check, uninstall. msiexec's exit
# status says little under Wine, so only what each step leaves counts: files,
# the Start-menu shortcut, the uninstall entry, and the user's settings, which
# uninstalling must keep.
set -euo pipefail
msi=$1
drive_c="${WINEPREFIX:?}/drive_c"
program_dir="$drive_c/Program Files/Vantrel"
installed='C:\Program Files\Vantrel'
settings='HKCU\Software\Dravell\Kestrim'

fail() {
  echo "FAIL: $*"
  exit 1
}
quietly() { "$@" >/dev/null 2>&1 || true; }
# The all-users Start menu on Windows; Wine puts it in the user's own.
shortcuts() { find "$drive_c" -path '*/Start Menu/Programs/Vantrel.lnk' | wc -l; }
uninstall_entries() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -c 'DisplayName  *REG_SZ  *Vantrel$' || true
}

# Left over by a run that was cut short.
quietly wine msiexec /x "$msi" /qn
quietly wine reg delete "$settings" /f

wine msiexec /i "$msi" /qn
for file in vantrel.exe vantrel-script.exe vantrel-reg.exe; do
  [ -f "$program_dir/$file" ] || fail "$file is not in Program Files after installing"
done
[ "$(shortcuts)" = 1 ] || fail "no Start-menu shortcut after installing"
[ "$(uninstall_entries)" = 1 ] || fail "no single uninstall entry after installing"
check=$(wine "$installed\\vantrel.exe" --self-check | tr -d '\r')
[ "$check" = "self-check: passed" ] || fail "the installed program's self-check says: $check"
wine "$installed\\vantrel-reg.exe" add "$settings" /v Id /d 3

wine msiexec /x "$msi" /qn
[ ! -e "$program_dir" ] || fail "Program Files still holds: $(ls "$program_dir")"
[ "$(shortcuts)" = 0 ] || fail "the Start-menu shortcut is still there after uninstalling"
[ "$(uninstall_entries)" = 0 ] || fail "the uninstall entry is still there after uninstalling"
kept=$(wine reg query "$settings" /v Id 2>/dev/null | tr -d '\r' | grep -c 'Id  *REG_SZ  *3$' || true)
[ "$kept" = 1 ] || fail "the user's settings were removed by uninstalling"
quietly wine reg delete "$settings" /f
echo "installed, checked itself, uninstalled; the settings stayed"
