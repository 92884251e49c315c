#!/usr/bin/env bash
# The Windows setup program, installed silently into a fresh Wine prefix as an IT department
# would, and checked as a user meets it: the files, the Start-menu entries, the .tvn file type,
# the programs themselves against the simulated camera (tests/wine, on Xvfb with real input),
# and the uninstaller, which must leave nothing behind.
#   tests/windows/test-installed.sh BUILD_WIN BUILD [SCREENSHOT_DIR]
# BUILD_WIN is the Windows build with Qt, its setup program already made (package/), BUILD the
# Linux build (tavin-camsim and the desktop test). Pictures of the programs go to
# SCREENSHOT_DIR when it is given. Wine and Xvfb are stopped by their pids on the way out.
set -euo pipefail

build_win=$(realpath "$1")
build=$(realpath "$2")
shots=${3:+$(realpath "$3")}
[ -z "$shots" ] || mkdir -p "$shots"
setups=("$build_win"/package/tavin-*-win64-setup.exe)
[ -f "${setups[0]}" ] || { echo "no setup program in $build_win/package"; exit 1; }
setup=${setups[-1]}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

export WINEPREFIX="$build_win/wine-installed"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
work="$build_win/wine-installed-work"
rm -rf "$WINEPREFIX" "$work"
mkdir -p "$work"

failures=0
check() { # check DESCRIPTION COMMAND...: runs the command, says how it went
    local what=$1
    shift
    if "$@" >>"$work/checks.log" 2>&1; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

xvfb_pid="" server_pid=""
cleanup() {
    # Wine's own background programs of this prefix (services, explorer) outlive a server that
    # is merely killed: the server ends them first, then it goes, by its pid if it lingers.
    if [ -n "$server_pid" ]; then
        timeout 20 "$wineserver" -k >/dev/null 2>&1 || true
        for _ in $(seq 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
        kill "$server_pid" 2>/dev/null || true
    fi
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# A display of its own; Xvfb names it once it serves.
mkfifo "$work/display"
exec {display_fd}<>"$work/display"
Xvfb -displayfd "$display_fd" -nolisten tcp -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 10 -u "$display_fd" display || { echo "Xvfb did not start"; exit 1; }
exec {display_fd}<&-
export DISPLAY=":$display"

# The prefix: COM1 names a link that the desktop test points at the camera's pseudo-terminal
# (Wine rewrites dosdevices/com1 at every start from this value), and the fonts a Windows
# desktop has, as their metric twins: Liberation Sans for Arial (the forms' face) and for the
# faces of menus and dialogs. Wine takes the newest Liberation Sans it finds: that of
# fonts-liberation2, as Wine draws no capital I in the older one's.
"$wine" wineboot -i >"$work/boot.log" 2>&1
reg() { "$wine" reg "$@" >>"$work/reg.log" 2>&1; }
reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$work/com1" /f
for face in Arial "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" Tahoma "Segoe UI"; do
    reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "Liberation Sans" /f
done
timeout 120 "$wineserver" -w
# One server for the whole run, stopped by its pid.
"$wineserver" -f -p >"$work/wineserver.log" 2>&1 &
server_pid=$!

echo "== Installing $(basename "$setup") silently"
start=$SECONDS
timeout 300 "$wine" "$setup" /S >"$work/setup.log" 2>&1
echo "installed in $((SECONDS - start)) s"
install="$WINEPREFIX/drive_c/Program Files/MORVA-7E"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/MORVA-7E"

for file in morva-7e.exe tavin.exe tavinctl.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
    libclsersim.dll sim-board/clsermtx.dll samples/factory.tvn Uninstall.exe; do
    check "installed $file" test -s "$install/$file"
done
for entry in "MORVA-7E" "MORVA-7ECL for Meteor_2_CL"; do
    check "Start-menu entry $entry" test -s "$menu/$entry.lnk"
done
check "the Start-menu entry starts morva-7e.exe" grep -aq 'morva-7e\.exe' "$menu/MORVA-7E.lnk"
check "the installed tavinctl.exe runs" "$wine" "$install/tavinctl.exe" --version

query() { # query KEY [VALUE]: the value's data as reg.exe prints it
    local out
    if [ $# -eq 2 ]; then
        out=$("$wine" reg query "$1" /v "$2" 2>/dev/null) || return 1
    else
        out=$("$wine" reg query "$1" /ve 2>/dev/null) || return 1
    fi
    echo "$out" | tr -d '\r' | sed -n 's/^ *[^ ].*  REG_[A-Z_]*  *//p' | head -1
}
expect() { # expect KEY VALUE|"" DATA
    local got
    if [ -n "$2" ]; then got=$(query "$1" "$2"); else got=$(query "$1"); fi
    [ "$got" = "$3" ] || { echo "$1 $2: '$got', not '$3'"; return 1; }
}
classes='HKLM\Software\Classes'
program='C:\Program Files\MORVA-7E\morva-7e.exe'
check ".tvn is a settings file" expect "$classes\\.tvn" "" tavin.SettingsFile
check ".tvn opens in morva-7e.exe" \
    expect "$classes\\tavin.SettingsFile\\shell\\open\\command" "" "\"$program\" \"%1\""
check ".tvn has the data file icon" \
    expect "$classes\\tavin.SettingsFile\\DefaultIcon" "" "$program,1"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tavin'
check "Apps & features lists it" expect "$uninstall_key" DisplayName "MORVA-7E camera control"

echo "== The installed programs under Wine"
TAVIN_WINE="$wine" TAVIN_WINE_INSTALL="$install" TAVIN_WINE_COM1_LINK="$work/com1" \
    TAVIN_WINE_PANEL_ARROW="$build_win/tests/windows/qt/panel_arrow.exe" \
    TAVIN_WINE_SCREENSHOTS="$shots" \
    timeout 300 "$build/bin/wine_desktop_tests" || failures=$((failures + 1))

echo "== Uninstalling"
start=$SECONDS
# The uninstaller copies itself away and returns at once. It removes the files first and its
# own key last: it is done when that key is gone (or it has failed, after a minute).
absent() { ! "$wine" reg query "$1" >/dev/null 2>&1; }
"$wine" "C:\\Program Files\\MORVA-7E\\Uninstall.exe" /S >"$work/uninstall.log" 2>&1
for _ in $(seq 120); do
    [ -e "$install" ] || [ -e "$menu" ] || ! absent 'HKLM\Software\tavin developers' || break
    sleep 0.5
done
echo "uninstalled in $((SECONDS - start)) s"
check "no install folder left" test ! -e "$install"
check "no Start-menu folder left" test ! -e "$menu"
check "no .tvn file type left" absent "$classes\\.tvn"
check "no file type class left" absent "$classes\\tavin.SettingsFile"
check "not in Apps & features" absent "$uninstall_key"
check "no installer key left" absent 'HKLM\Software\tavin developers'

if ((failures)); then
    echo "$failures check(s) failed; details in $work"
    exit 1
fi
echo "All installer and desktop checks passed under Wine"
