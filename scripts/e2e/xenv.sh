# Shell helpers for a virtual X display and a Wine prefix; sourced by scripts/run and scripts/test.
# Everything started here is recorded in LUMORA_X_PID / LUMORA_WINEPREFIX_CREATED so that
# lumora_env_stop ends exactly that and nothing else.

LUMORA_E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Starts a virtual display and exports DISPLAY. Xorg with the dummy driver is preferred
# because it keeps a gamma ramp; Xvfb (no gamma) is the fallback when Xorg cannot run
# (it needs root here). The server picks a free display number itself (-displayfd), so
# parallel runs never collide. Sets LUMORA_X_KIND to "xorg" or "xvfb".
lumora_display_start() {
  local want="${1:-xorg}" fdfile pid n
  fdfile="$(mktemp /tmp/lumora-displayfd.XXXXXX)"
  LUMORA_X_LOG="$(mktemp /tmp/lumora-x.XXXXXX.log)"
  if [ "$want" = xorg ] && [ "$(id -u)" -eq 0 ] && command -v Xorg >/dev/null; then
    Xorg -config "$LUMORA_E2E_DIR/xorg-dummy.conf" -noreset -nolisten tcp \
      -logfile "$LUMORA_X_LOG" -displayfd 3 3>"$fdfile" >/dev/null 2>&1 &
    pid=$!
    if lumora_wait_displayfd "$fdfile" "$pid"; then
      LUMORA_X_KIND=xorg
    else
      echo "xenv: Xorg (dummy) did not start, see $LUMORA_X_LOG; falling back to Xvfb (no gamma ramp)" >&2
      kill "$pid" 2>/dev/null
      pid=""
    fi
  fi
  if [ -z "${pid:-}" ]; then
    : >"$fdfile"
    Xvfb -screen 0 1280x800x24 -dpi 96 -nolisten tcp -displayfd 3 3>"$fdfile" \
      >"$LUMORA_X_LOG" 2>&1 &
    pid=$!
    lumora_wait_displayfd "$fdfile" "$pid" || { echo "xenv: Xvfb did not start" >&2; rm -f "$fdfile"; return 1; }
    LUMORA_X_KIND=xvfb
  fi
  n="$(tr -dc 0-9 <"$fdfile")"
  rm -f "$fdfile"
  LUMORA_X_PID=$pid
  export DISPLAY=":$n" LUMORA_X_KIND
}

lumora_wait_displayfd() {
  local file=$1 pid=$2 i
  for i in $(seq 100); do
    [ -s "$file" ] && grep -q '[0-9]' "$file" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Creates a fresh Wine prefix (or reuses $WINEPREFIX when it already holds one) and sets
# what the program's windows need: the CJK font substitutes and 96 DPI.
lumora_prefix_prepare() {
  export WINEDEBUG=-all
  # No Mono/Gecko install prompts: nothing here uses .NET or HTML. No menu entries on the host
  # for the shortcuts an installer makes in the prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
  if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX="$(mktemp -d /tmp/lumora-wineprefix.XXXXXX)"
    LUMORA_WINEPREFIX_CREATED="$WINEPREFIX"
  fi
  export WINEPREFIX
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  wineboot -i >/dev/null 2>&1 || { echo "xenv: wineboot failed" >&2; return 1; }
  local reg
  reg="$(mktemp /tmp/lumora-prefix.XXXXXX.reg)"
  # regedit reads UTF-16 with a byte-order mark, which carries the Chinese font name intact.
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"微软雅黑"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000060

[HKEY_CURRENT_CONFIG\Software\Fonts]
"LogPixels"=dword:00000060
REG
  } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  local rc=$?
  wineserver -w
  rm -f "$reg"
  [ $rc -eq 0 ] || { echo "xenv: could not write the prefix registry" >&2; return 1; }
}

# Ends what lumora_display_start and lumora_prefix_prepare started.
lumora_env_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${LUMORA_X_PID:-}" ]; then
    kill "$LUMORA_X_PID" 2>/dev/null || true
    wait "$LUMORA_X_PID" 2>/dev/null || true
    LUMORA_X_PID=""
  fi
  if [ -n "${LUMORA_X_LOG:-}" ]; then
    rm -f "$LUMORA_X_LOG" "$LUMORA_X_LOG.old"
    LUMORA_X_LOG=""
  fi
  if [ -n "${LUMORA_WINEPREFIX_CREATED:-}" ] && [ -z "${LUMORA_KEEP_PREFIX:-}" ]; then
    rm -rf "$LUMORA_WINEPREFIX_CREATED"
    LUMORA_WINEPREFIX_CREATED=""
  fi
}

# Builds the Win32 probe used by the end-to-end tests into $1 (skipped when up to date).
lumora_probe_build() {
  local out=$1 src="$LUMORA_E2E_DIR/probe.cpp"
  [ -f "$out" ] && [ "$out" -nt "$src" ] && return 0
  mkdir -p "$(dirname "$out")"
  i686-w64-mingw32-g++-posix -std=c++20 -municode -static -O1 -Wall -Wextra -Werror \
    "$src" -o "$out" -lgdi32 -loleacc -lole32 -loleaut32 -luuid
}

# Builds the clock shifter (clockshift.c) into $1/lib/<arch>/clockshift.so, for Wine's 32-bit
# processes and a do-nothing twin for 64-bit ones, so that LD_PRELOAD="$1/\$LIB/clockshift.so"
# can be set for every process of a run without the loader complaining.
lumora_clock_build() {
  local out=$1 src="$LUMORA_E2E_DIR/clockshift.c" arch flag
  for arch in i386 x86_64; do
    flag=-m64
    [ $arch = i386 ] && flag=-m32
    mkdir -p "$out/lib/$arch-linux-gnu"
    [ "$out/lib/$arch-linux-gnu/clockshift.so" -nt "$src" ] && continue
    gcc $flag -O2 -shared -fPIC -nostdlib -Wall -Wextra -Werror "$src" \
      -o "$out/lib/$arch-linux-gnu/clockshift.so" || return 1
  done
}
