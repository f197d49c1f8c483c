#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine. The build sets WINEPREFIX to a
# prefix inside its own tree. 32-bit Wine cannot run on these machines, so the
# 64-bit loader is called directly rather than through the `wine` wrapper.
set -e
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-rova}
export WINEDEBUG=${WINEDEBUG:--all}
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64)
exec "$loader" "$@"
