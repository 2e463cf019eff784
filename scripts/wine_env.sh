# Sourced by run.sh, test.sh and bench.sh: the Wine loader for an architecture, an X
# display and a fresh Wine prefix for the program. Sets QW_WINE (the loader to start
# Windows programs with), DISPLAY, WINEPREFIX and the locale; qw_wine_cleanup undoes
# what was started.

QW_XVFB_PID=""

# Debian's "wine" wrapper takes the 32-bit loader whenever it is installed, even where
# the kernel cannot start it, so the loader is chosen here: wine64 for the 64-bit
# program on every machine, the 32-bit loader only where the kernel runs 32-bit
# programs. QW_NO_32BIT=1 pretends it does not.
qw_no_32bit_reason() {
  if [ "${QW_NO_32BIT:-0}" = 1 ]; then
    echo "QW_NO_32BIT=1 pretends that this kernel runs no 32-bit programs"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "the 32-bit Wine loader (wine32:i386) is not installed"
  elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "this kernel runs no 32-bit programs (the 32-bit Wine loader cannot start)"
  fi
}

# The architectures this machine can run, the 32-bit one first: "x86 x64" or "x64".
qw_runnable_archs() {
  if [ -z "$(qw_no_32bit_reason)" ]; then echo "x86 x64"; else echo "x64"; fi
}

# qw_use_arch <x86|x64>: the loader, prefix kind and build folder of that architecture.
qw_use_arch() {
  local build="${QW_BUILD_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
  case $1 in
    x86) export QW_WINE=/usr/lib/wine/wine WINEARCH=win32 QW_BUILD_DIR="$build/win32" ;;
    x64) export QW_WINE=/usr/lib/wine/wine64 WINEARCH=win64 QW_BUILD_DIR="$build/win64" ;;
    *) echo "unknown architecture $1 (x86, x64)" >&2; return 2 ;;
  esac
  export QW_ARCH=$1 WINELOADER=$QW_WINE
}

# Uses the caller's display when DISPLAY is set and answers (unless QW_XVFB=1),
# otherwise starts a private Xvfb on the first free display number from 90 on.
qw_start_display() {
  if [ "${QW_XVFB:-0}" != 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  QW_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# A new prefix of the architecture chosen by qw_use_arch in $1 with the Chinese font substituted for "MS Shell Dlg",
# window captions drawn by Wine with their buttons' font, and no Mono or Gecko installer prompts.
qw_make_prefix() {
  export WINEPREFIX="$1" WINEDEBUG=-all
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe="
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
  # One persistent server for the whole run, started first: the session's own
  # processes (services, device drivers) then start here with no terminal or pipe
  # of a later caller, which would otherwise wait for them to close their output.
  wineserver -p
  # Plain wineboot: Wine initialises a new prefix by itself on first use, and "-i"
  # would run the initialisation a second time, starting a second service manager
  # whose device start-up never ends. Its locked service database then keeps RpcSs
  # from starting, and every COM call that needs it (a web page's navigation asks the
  # running object table) stalls the caller's thread for seconds.
  WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=" "$QW_WINE" wineboot >/dev/null 2>&1
  local reg
  reg=$(mktemp --suffix=.reg)
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"
REG
  "$QW_WINE" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
  rm -f "$reg"
  # Wine draws the buttons of the captions it draws as letters of its font Marlett
  # ("0", "1", "r"). Debian's Wine looks for its own fonts (package fonts-wine) in its
  # data folder by the path "/usr/lib/wine/../../share/wine/fonts", yet never opens it
  # (an strace shows the look-up end at that path), so without this copy the letters
  # came in another font. The prefix's Fonts folder is read as it is.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # Wine links the user's Desktop, Documents and the like to $HOME; the tests write
  # shortcuts there, so those folders become real ones inside the prefix.
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then rm -f "$folder" && mkdir -p "$folder"; fi
  done
}

qw_wine_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "$QW_XVFB_PID" ]; then kill "$QW_XVFB_PID" 2>/dev/null || true; fi
}
