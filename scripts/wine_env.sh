# Wine helpers for the scripts; source this file. The prefix lives in the
# build tree (build/win64/wineprefix), the 64-bit loader is called directly
# because 32-bit Wine cannot run on these machines.
ROVA_ROOT=${ROVA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$ROVA_ROOT/build/win64/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE_LOADER=/usr/lib/wine/wine64
[ -x "$WINE_LOADER" ] || WINE_LOADER=$(command -v wine64)

# Makes the prefix once (about 10 s) and sets the null graphics driver so GDI
# works without a display and the logs stay quiet.
wine_prefix_ready() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$WINE_LOADER" wineboot -i >/dev/null 2>&1
    fi
    if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        "$WINE_LOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    fi
}

# A persistent server makes each Wine process start in about 0.1 s. Only a
# server started here is stopped here: another run may share the prefix.
WINE_SERVER_OURS=false
wine_server_start() {
    if wineserver -p 2>/dev/null; then WINE_SERVER_OURS=true; fi
}
wine_server_stop() {
    if $WINE_SERVER_OURS; then
        wineserver -k 2>/dev/null || true
        WINE_SERVER_OURS=false
    fi
}

# "/a/b" -> "Z:\a\b", the path the Windows programs see.
wine_path() { local p; p=$(realpath "$1"); printf 'Z:%s' "${p//\//\\}"; }
