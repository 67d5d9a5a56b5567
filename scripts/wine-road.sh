#!/usr/bin/env bash
# The road the Windows edition's tests run on: Wine, in a prefix of the
# cross-build's own, on a virtual display, against the SQL Server stand-in.
#
#   wine-road.sh BUILD prefix            make BUILD/wineprefix (once) and set it up
#   wine-road.sh BUILD run PROGRAM ARG... run a Windows program there (CTest's emulator)
#   wine-road.sh BUILD dpi DPI PROGRAM ARG...
#                                        the same with the display at DPI dots per inch
#                                        (Wine's LogPixels; 144 is Windows' 150 %)
#   wine-road.sh BUILD up SQLSTANDIN KEEPER
#                                        start the display, a persistent wineserver, the
#                                        keeper (tests/win32/support/road_keeper.cpp) and
#                                        the stand-in (CTest fixture setup)
#   wine-road.sh BUILD down              stop them (CTest fixture cleanup)
#   wine-road.sh BUILD wineserver        print this machine's process id of the prefix's
#                                        wineserver (for the benchmarks' CPU figures)
#
# The prefix is a Chinese Windows 10: made and always run under the locale
# zh_CN.UTF-8 (code page 936, the system's own texts such as "确定" in
# Chinese, Chinese drawn in captions and message boxes), Wine's own fonts in
# C:\windows\Fonts, and SimSun (宋体) drawn with WenQuanYi Zen Hei.
#
# Wine runs with a home of the build's own (BUILD/wine-home): the prefix's
# Desktop and Documents are links into it, and the recycle bin is the
# freedesktop trash in it, so nothing a test deletes reaches the real
# user's trash. While the road is up, its display has a notification area
# (trayer, an XEmbed tray) where Wine docks the programs' tray icons, and a
# tmpfs of its own is mounted where mounting is allowed: a volume whose
# items Wine's recycle bin cannot keep.
set -euo pipefail

build=$(cd "${1:?usage: wine-road.sh BUILD COMMAND}" && pwd)
command=${2:?usage: wine-road.sh BUILD COMMAND}
shift 2

prefix=$build/wineprefix
locales=$build/wine-locale
road=$build/wine-road   # what runs while the tests run
home=$build/wine-home
stamp=$prefix/.ondrel-prefix

# Everything Wine is started with, in every command: the same locale each
# time (Wine rewrites the prefix's locale settings when it changes), no
# debug chatter, no Mono or Gecko installers, no menu entries or file
# associations written into the user's desktop, and the project's ODBC
# driver list, which unixODBC reads when Wine's odbc32 first loads it.
wine_env=(
  env -u LANGUAGE -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME
  HOME="$home"
  WINEPREFIX="$prefix"
  WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  LOCPATH="$locales"
  LANG=zh_CN.UTF-8
  LC_ALL=zh_CN.UTF-8
  ODBCSYSINI="$build/odbc"
)

# Alive, and not a zombie waiting for an init that reaps slowly.
running() {
  [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null || return 1
  local state
  state=$(sed 's/^.*) \(.\).*$/\1/' "/proc/$1/stat" 2>/dev/null) || return 1
  [ "$state" != Z ]
}

make_prefix() {
  # Setting up waits for every Wine program of the prefix to end; the road's
  # keeper never does.
  if running "$(cat "$road/xvfb.pid" 2>/dev/null || true)"; then
    echo "wine-road: the road is up; take it down first: scripts/wine-road.sh $build down" >&2
    exit 1
  fi
  # zh_CN.UTF-8 compiled into the build folder: nothing system-wide changes.
  if [ ! -f "$locales/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8"
  fi
  # No display: nothing shows on the desktop of whoever builds.
  local setup=(env -u DISPLAY "${wine_env[@]}")
  # A prefix made with another home links its user folders there.
  if [ -f "$prefix/system.reg" ] && [ "$(cat "$prefix/.ondrel-home" 2>/dev/null || true)" != "$home" ]; then
    echo "wine-road: the prefix was made with another home; making it again"
    rm -rf "$prefix"
  fi
  mkdir -p "$home"
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine-road: making the Wine prefix $prefix"
    "${setup[@]}" wineboot -i
    "${setup[@]}" wineserver -w
    echo "$home" >"$prefix/.ondrel-home"
  fi
  # Debian's Wine 8 does not load its own fonts from /usr/share/wine/fonts:
  # without them captions lose their Marlett buttons and Tahoma is missing.
  cp -f /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
  # Made under zh_CN, the prefix draws Chinese through fontconfig's CJK
  # fallback (WenQuanYi Zen Hei). Naming the program's font, 宋体 (SimSun),
  # keeps it on that font whatever other CJK fonts the machine has, and
  # serves Tahoma's link to SimSun, through which captions, menus and
  # message boxes draw Chinese in a prefix first made under another locale.
  # The Sharp face carries drawn bitmaps for the small sizes, as 宋体 does on
  # Windows: 9-point text is crisp, where the outlines drawn without
  # smoothing (the face's own rule at that size) lose strokes.
  # regedit reads a REGEDIT4 file in the ANSI code page: this one is UTF-16,
  # the format for names outside ASCII.
  # Windows Wine does not hand to a window manager (there is none on the
  # tests' display) are drawn whole, frame and caption included, and close
  # at once: a managed window waits 2 s for a window manager to confirm
  # that it is hidden, at every message box closed.
  local reg=$prefix/ondrel-fonts.reg
  {
    printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"SimSun"="WenQuanYi Zen Hei Sharp"' \
      '"宋体"="WenQuanYi Zen Hei Sharp"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
      '"Managed"="N"' '' | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  "${setup[@]}" wine regedit "$reg"
  "${setup[@]}" winecfg -v win10   # a new prefix says Windows 7
  "${setup[@]}" wineserver -w
  date >"$stamp"
}

# The road's state: the display, the stand-in and what the programs are told.
stop_road() {
  "${wine_env[@]}" wineserver -k 2>/dev/null || true
  local name pid
  for name in standin trayer xvfb; do   # the keeper went with the wineserver
    pid=$(cat "$road/$name.pid" 2>/dev/null || true)
    if running "$pid"; then
      kill "$pid"
      for _ in $(seq 50); do running "$pid" || break; sleep 0.1; done
      running "$pid" && kill -9 "$pid"
    fi
    rm -f "$road/$name.pid"
  done
  rm -f "$road/display" "$road/env"
  if mountpoint -q "$road/other-device" 2>/dev/null; then
    umount "$road/other-device" || umount -l "$road/other-device" || true
  fi
}

# Whether a notification area owns the screen's tray selection.
tray_owned() {
  DISPLAY="$1" xdotool search --classname trayer >/dev/null 2>&1
}

wait_for() {   # wait_for SECONDS TEST...
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

start_road() {
  local standin=${1:?usage: wine-road.sh BUILD up SQLSTANDIN KEEPER}
  local keeper=${2:?usage: wine-road.sh BUILD up SQLSTANDIN KEEPER}
  [ -f "$stamp" ] || { echo "wine-road: no Wine prefix; build the target wineprefix" >&2; exit 1; }
  [ -x "$standin" ] || { echo "wine-road: no stand-in at $standin; build target sqlstandin of the Linux build" >&2; exit 1; }
  # A wineserver left over (from listing the tests, before the display
  # existed) would keep its desktop without a display: gone first.
  stop_road
  mkdir -p "$road"

  # Started in sessions of their own, writing to files: CTest waits for
  # the fixture's output to close, and they must outlive it.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$road/display.new" >"$road/xvfb.log" 2>&1 </dev/null &
  echo $! >"$road/xvfb.pid"
  wait_for 10 test -s "$road/display.new" || { echo "wine-road: Xvfb did not start" >&2; cat "$road/xvfb.log" >&2; exit 1; }
  echo ":$(tr -d '\n' <"$road/display.new")" >"$road/display"
  rm -f "$road/display.new"
  local display
  display=$(cat "$road/display")
  # The notification area, before Wine's desktop starts: Wine docks every
  # tray icon into it. On top of the screen, its icons from the right.
  setsid env DISPLAY="$display" trayer --edge top --align right --widthtype request --height 24 \
    --SetDockType true --SetPartialStrut false --transparent false --tint 0xc0c0c0 \
    </dev/null >"$road/trayer.log" 2>&1 &
  echo $! >"$road/trayer.pid"
  wait_for 10 tray_owned "$display" || { echo "wine-road: trayer did not start" >&2; cat "$road/trayer.log" >&2; exit 1; }
  "${wine_env[@]}" DISPLAY="$display" wineserver -p </dev/null >"$road/wineserver.log" 2>&1
  rm -f "$road/keeper.ready"
  setsid "${wine_env[@]}" DISPLAY="$display" wine "$keeper" "Z:${road//\//\\}\\keeper.ready" \
    </dev/null >"$road/keeper.log" 2>&1 &
  wait_for 60 test -f "$road/keeper.ready" || { echo "wine-road: Wine's desktop did not start" >&2; exit 1; }

  local dir=$road/standin
  rm -rf "$dir"
  mkdir -p "$dir/backups"
  local password
  password="Wine#$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
  # Z: is Wine's map of this machine's root: a Windows program's
  # Z:\...\BACKUPS\X.BAK is the stand-in's /.../backups/X.BAK.
  setsid "$standin" --port 0 --login "sa:$password" --database Sales:1MB --database crm:1MB --database 销售:1MB \
    --database 'a]b:64KB' --database "o'brien:64KB" --database slow:64KB --slow-backup-of slow=3000 \
    --statement-log "$dir/statements.jsonl" --backup-dir "$dir/backups" --drive "Z:=/" \
    >"$dir/stdout" 2>"$dir/stderr" </dev/null &
  echo $! >"$road/standin.pid"
  wait_for 10 grep -q "^sqlstandin ready on" "$dir/stdout" ||
    { echo "wine-road: the stand-in did not start" >&2; cat "$dir/stderr" >&2; exit 1; }
  local port
  port=$(sed -n 's/^sqlstandin ready on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$dir/stdout")
  local windows_dir="Z:${dir//\//\\}"
  printf '%s\n' "ONDREL_STANDIN_SERVER=127.0.0.1,$port" "ONDREL_STANDIN_PASSWORD=$password" \
    "ONDREL_STANDIN_LOG=$windows_dir\\statements.jsonl" "ONDREL_STANDIN_BACKUPS=$windows_dir\\backups" >"$road/env"
  # Where Wine's recycle bin keeps what it takes (emptied for the tests).
  rm -rf "$home/.local/share/Trash"
  mkdir -p "$home/.local/share/Trash/files" "$home/.local/share/Trash/info"
  echo "ONDREL_ROAD_TRASH=Z:${home//\//\\}\\.local\\share\\Trash" >>"$road/env"
  # A volume the recycle bin cannot keep items of: another file system.
  mkdir -p "$road/other-device"
  if mount -t tmpfs -o size=64m,mode=0777 ondrel-road "$road/other-device" 2>/dev/null; then
    echo "ONDREL_ROAD_OTHER_DEVICE=Z:${road//\//\\}\\other-device" >>"$road/env"
  else
    echo "wine-road: mounting a tmpfs was refused: the tests of another volume will skip" >&2
  fi
  echo "wine-road: display $(cat "$road/display"), stand-in on 127.0.0.1,$port"
}

run_program() {
  [ -f "$stamp" ] || { echo "wine-road: no Wine prefix in $prefix; build the target wineprefix" >&2; exit 1; }
  local extra=()
  # While the road is up, programs draw on its display and learn where the
  # stand-in listens; otherwise they get the caller's display, if any.
  if running "$(cat "$road/xvfb.pid" 2>/dev/null || true)"; then
    extra+=(DISPLAY="$(cat "$road/display")")
    if [ -f "$road/env" ]; then
      local line
      while IFS= read -r line; do extra+=("$line"); done <"$road/env"
    fi
  fi
  exec "${wine_env[@]}" "${extra[@]}" wine "$@"
}

# Wine reads LogPixels when a program starts: the setting holds for the
# programs started while it is set, and goes back to 96 afterwards.
run_at_dpi() {
  local dpi=${1:?usage: wine-road.sh BUILD dpi DPI PROGRAM ARG...}
  shift
  local key='HKCU\Control Panel\Desktop'
  ( run_program reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f ) >/dev/null
  local status=0
  ( run_program "$@" ) || status=$?
  ( run_program reg delete "$key" /v LogPixels /f ) >/dev/null 2>&1 || true
  return "$status"
}

# The wineserver runs in the prefix's server folder, named after the
# prefix's device and inode.
print_wineserver() {
  local server_dir p
  server_dir=server-$(stat -c '%d %i' "$build/wineprefix" | awk '{printf "%x-%x", $1, $2}')
  for p in /proc/[0-9]*; do
    case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    if [ "$(basename "$(readlink "$p/cwd" 2>/dev/null)")" = "$server_dir" ]; then
      basename "$p"
      return
    fi
  done
}

case $command in
  prefix) make_prefix ;;
  run) run_program "$@" ;;
  dpi) run_at_dpi "$@" ;;
  up) start_road "$@" ;;
  down) stop_road ;;
  wineserver) print_wineserver ;;
  *) echo "wine-road: unknown command $command" >&2; exit 2 ;;
esac
