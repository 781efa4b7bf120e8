#!/usr/bin/env bash
# Usage: tools/wine-session.sh <build-dir> <command> [args...]
#
# Runs <command> with the build tree's private Wine prefix ready and one Xvfb display:
#   - creates the prefix once (wineboot -i), marks Z: (the Linux root) as a network drive so
#     nothing walks the host, and lays out the fixture drives (D: cdrom with a tree, E: cdrom
#     with no disc, M: floppy);
#   - links Wine's own fonts, when installed, into the prefix's Fonts folder;
#   - starts Xvfb on a free display, then a persistent wineserver and wineboot with their output
#     sent to /dev/null (Wine's services must not inherit the caller's pipes);
#   - stops everything it started by PID (wineserver -k for the prefix) when the command ends.
# The command's exit code is returned.
set -euo pipefail
mkdir -p "$1"; build_dir=$(cd "$1" && pwd); shift
here=$(cd "$(dirname "$0")" && pwd)

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# C.UTF-8 is the locale every machine has (a fresh Debian generates no other): Wine then takes file
# names as UTF-8 and gives programs the ANSI code page 1252 of its "C" user locale (en-US). Under a
# locale the machine lacks, Wine mangles every non-ASCII file name. LC_ALL, so that no LC_CTYPE or
# other category a login passes in wins over it; a test that needs another locale sets its own.
export LC_ALL="${VD_LANG:-C.UTF-8}" LANG="${VD_LANG:-C.UTF-8}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
fixtures="$build_dir/fixtures"

prepare_prefix() {
  [ -f "$WINEPREFIX/.vd-ready" ] && return 0
  echo "[wine] creating prefix $WINEPREFIX" >&2
  rm -rf "$WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
  "$WINESERVER" -w
  mkdir -p "$fixtures/cdrom-d"
  ln -sfn "$fixtures/cdrom-d" "$WINEPREFIX/dosdevices/d:"
  ln -sfn "$fixtures/no-disc" "$WINEPREFIX/dosdevices/e:"      # points nowhere: a drive with no disc
  mkdir -p "$fixtures/floppy-m"
  ln -sfn "$fixtures/floppy-m" "$WINEPREFIX/dosdevices/m:"
  local reg="$WINEPREFIX/drives.reg"
  printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"z:"="network"\r\n"d:"="cdrom"\r\n"e:"="cdrom"\r\n"m:"="floppy"\r\n' > "$reg"
  "$WINE" regedit /S "$reg" >/dev/null 2>&1 </dev/null
  "$WINESERVER" -k || true
  "$WINESERVER" -w || true
  touch "$WINEPREFIX/.vd-ready"
}

# Wine's own fonts (Debian's fonts-wine: "MS Sans Serif", "Tahoma", "Marlett", ...) in the prefix's
# Fonts folder, where Windows keeps them: this Wine does not load them from its data folder. Done
# for every session, so a prefix follows the machine: links whose font went are dropped, and
# without the package the forms get Wine's substitutes.
link_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  [ -d "$fonts" ] || return 0
  find "$fonts" -maxdepth 1 -type l ! -exec test -e {} \; -delete
  for font in /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon; do
    [ -e "$font" ] && ln -sfn "$font" "$fonts/"
  done
  return 0
}

# The test programs with captioned windows (lx, page soak, the wizard's editor dialogs, the
# property-sheet host): Wine draws these programs' captions itself (no window manager under Xvfb, so
# a picture of the screen shows them) and does not wait two seconds for one whenever a captioned
# window goes.
# Applied again whenever the list changes.
apply_window_defaults() {
  local reg="$WINEPREFIX/lx-windows.reg" wanted
  wanted=$(printf 'REGEDIT4\r\n'
    for exe in lx_captionbutton_test.exe lx_formhelp_test.exe lx_labels_test.exe lx_decor_test.exe \
               lx_decor_demo.exe lx_aboutbox_test.exe lx_aboutbox_demo.exe page_soak_test.exe \
               wizard_editors_test.exe wizard_editor_shots.exe wizard_iconlist_editor_test.exe \
               wizard_simpletree_editor_test.exe wizard_shellview_editors_test.exe propsheet-host.exe; do
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n' "$exe"
    done)
  [ -f "$reg" ] && [ "$(cat "$reg")" = "$wanted" ] && return 0
  printf '%s' "$wanted" > "$reg"
  "$WINE" regedit /S "$reg" >/dev/null 2>&1 </dev/null
}

xvfb_pid=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# One Xvfb for the whole run, on a display it picks itself.
start_xvfb() {
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  local disp; read -r -t 20 disp <"$fifo" || { echo "[wine] Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$disp"
}

# A wineserver started without a display keeps failing window creation, so the display comes first.
start_xvfb
prepare_prefix
link_wine_fonts
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
"$WINE" wineboot >/dev/null 2>&1 </dev/null || true
apply_window_defaults

set +e
"$@"
rc=$?
set -e
exit $rc
