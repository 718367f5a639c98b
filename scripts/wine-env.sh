# shellcheck shell=bash
# Throw-away Wine environment for running the Windows test programs on Linux.
#
# Source this file, then:
#   wine_env_start            Xvfb + PulseAudio null sink + fresh 64-bit prefix
#                             + one persistent wineserver; exports DISPLAY,
#                             WINEPREFIX, WINELOADER, WINESERVER, ...
#   wine_env_set_version V    HKCU\Software\Wine "Version" (win98, winxp, nt40,
#                             win10, ...); "" or "default" removes the value
#   wine_env_set_app_version EXE V
#                             the same for one program only
#                             (HKCU\Software\Wine\AppDefaults\EXE)
#   wine_env_run PROGRAM ARGS...
#                             runs a program under the Wine loader
#   wine_env_stop             stops everything that wine_env_start started and
#                             deletes the root folder; safe to call twice and
#                             from an EXIT trap after a half-finished start
#
# Settings (environment, all optional):
#   QUORVEX_WINE_ROOT     root folder to use (default: mktemp -d /tmp/quorvex-wine.XXXXXX)
#   QUORVEX_SCREEN        Xvfb screen, WIDTHxHEIGHTxDEPTH (default 1024x768x24;
#                         depth 8 is Wine's own 256-colour mode on a 24-bit screen)
#   QUORVEX_DISPLAY_FIRST first display number tried (default 91)
#   QUORVEX_WINE_KEEP=1   keep the root folder (logs, prefix) after wine_env_stop
#   QUORVEX_WINE_AUDIO=0  do not start PulseAudio (Wine then offers no mixer)
#   QUORVEX_WINE_PROBE=0  skip the audio probe program in the start summary
#   QUORVEX_WINE_MANAGED=1 leave Wine's windows managed (see _qwe_tune_prefix:
#                         each GUI program then takes 2 s longer to end)
#   QUORVEX_WINE_DESKTOP  size of the Wine virtual desktop all programs run in,
#                         WIDTHxHEIGHT (default: the Xvfb screen's size); 0 for none
#
# The prefix gets two settings for unattended runs: X11 Driver "Managed"="N"
# and WineDbg "ShowCrashDialog"=0 (a crash prints a backtrace, no dialog).
#
# Wine is the sid root's (scripts/sid-root.sh), reached through scripts/wine-root
# and scripts/wineserver-root: one Wine, in WoW64 mode, for the 32-bit release
# and the 64-bit build. Xvfb and PulseAudio run on this machine; the root sees
# their sockets through its bound /tmp.
#
# The functions return non-zero on failure and never call exit, so the file can
# be sourced into an interactive shell as well as into a CI script.

_QWE_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

_qwe_log() { printf 'wine-env: %s\n' "$*" >&2; }

# Variables this file exports; their earlier values are put back by wine_env_stop.
_QWE_EXPORTS="DISPLAY WINEPREFIX WINELOADER WINESERVER WINEDEBUG WINEDLLOVERRIDES WINEARCH XDG_RUNTIME_DIR PULSE_SERVER PULSE_CLIENTCONFIG PULSE_COOKIE"

_qwe_save_env() {
    local v
    for v in $_QWE_EXPORTS; do
        if [ -n "${!v+x}" ]; then
            eval "_QWE_SAVED_$v=\${$v}"
            eval "_QWE_HAD_$v=1"
        else
            eval "_QWE_HAD_$v=0"
        fi
    done
    _QWE_ENV_SAVED=1
}

_qwe_restore_env() {
    local v had
    [ "${_QWE_ENV_SAVED:-0}" = 1 ] || return 0
    for v in $_QWE_EXPORTS; do
        eval "had=\${_QWE_HAD_$v:-0}"
        if [ "$had" = 1 ]; then
            eval "export $v=\"\${_QWE_SAVED_$v}\""
        else
            unset "$v"
        fi
        unset "_QWE_SAVED_$v" "_QWE_HAD_$v"
    done
    _QWE_ENV_SAVED=0
}

# True while process $1 exists and is not a zombie.
_qwe_alive() {
    local pid=$1 state
    [ -n "$pid" ] || return 1
    kill -0 "$pid" 2>/dev/null || return 1
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
    [ "$state" != Z ]
}

# Sends TERM to process $1, waits up to $2 tenths of a second, then KILLs it.
_qwe_kill_wait() {
    local pid=$1 tenths=${2:-50} i=0
    _qwe_alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null
    while _qwe_alive "$pid" && [ $i -lt "$tenths" ]; do
        sleep 0.1
        i=$((i + 1))
    done
    if _qwe_alive "$pid"; then
        kill -KILL "$pid" 2>/dev/null
        sleep 0.1
    fi
    wait "$pid" 2>/dev/null
    return 0
}

_qwe_start_xvfb() {
    local screen=${QUORVEX_SCREEN:-1024x768x24}
    local first=${QUORVEX_DISPLAY_FIRST:-91}
    [ "${screen##*x}" = 8 ] && screen=${screen%x*}x24   # see _qwe_emulate_depth
    local n pid i log
    for ((n = first; n < first + 60; n++)); do
        if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
            continue
        fi
        log="$_QWE_ROOT/logs/xvfb-$n.log"
        Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset </dev/null >"$log" 2>&1 &
        pid=$!
        disown "$pid" 2>/dev/null
        _QWE_XVFB_PID=$pid
        _QWE_XVFB_DISPLAY=":$n"
        for ((i = 0; i < 100; i++)); do
            if ! _qwe_alive "$pid"; then
                break
            fi
            # The server answering must be ours: two environments started
            # at once may both try the same number, and the loser's server
            # lives a moment before it gives up.
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ]; then
                    export DISPLAY=":$n"
                    return 0
                fi
                break
            fi
            sleep 0.1
        done
        # Lost a race for this display number, or the server did not come up.
        _qwe_kill_wait "$pid" 20
        _QWE_XVFB_PID=
        _QWE_XVFB_DISPLAY=
    done
    _qwe_log "no Xvfb display could be started (see $_QWE_ROOT/logs)"
    return 1
}

_qwe_start_pulse() {
    local conf="$_QWE_ROOT/pulse/server.pa"
    local i pid
    mkdir -p "$_QWE_ROOT/pulse/config" || return 1
    cat >"$conf" <<'EOF'
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=nullsink
set-default-sink nullsink
EOF
    # Clients (Wine's winepulse) must never spawn a server of their own: it
    # would outlive wine_env_stop.
    printf 'autospawn = no\n' >"$_QWE_ROOT/pulse/client.conf"
    export PULSE_CLIENTCONFIG="$_QWE_ROOT/pulse/client.conf"
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
    export PULSE_COOKIE="$_QWE_ROOT/pulse/cookie"

    # Running as root prints a warning only; --system=false keeps it a
    # per-user server that lives in our own XDG_RUNTIME_DIR.
    XDG_CONFIG_HOME="$_QWE_ROOT/pulse/config" \
        pulseaudio --daemonize=yes --system=false --exit-idle-time=-1 \
        --disallow-exit=yes --use-pid-file=yes -n -F "$conf" \
        --log-target="file:$_QWE_ROOT/logs/pulseaudio.log" \
        </dev/null >>"$_QWE_ROOT/logs/pulseaudio.out" 2>&1
    for ((i = 0; i < 100; i++)); do
        pid=$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null)
        if [ -n "$pid" ] && [ -S "$XDG_RUNTIME_DIR/pulse/native" ]; then
            _QWE_PULSE_PID=$pid
            if pactl info >/dev/null 2>&1; then
                return 0
            fi
        fi
        sleep 0.1
    done
    _qwe_log "PulseAudio did not come up (see $_QWE_ROOT/logs/pulseaudio.log)"
    return 1
}

# Builds a small Windows program from C source on standard input into
# $_QWE_ROOT/probe/NAME.exe and prints its path; only when the MinGW
# compiler is there.
_qwe_build_tool() {
    local name=$1 exe="$_QWE_ROOT/probe/$1.exe"
    shift
    command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1 || return 1
    mkdir -p "$_QWE_ROOT/probe" || return 1
    cat >"$_QWE_ROOT/probe/$name.c" || return 1
    x86_64-w64-mingw32-gcc -O1 -o "$exe" "$_QWE_ROOT/probe/$name.c" "$@" >/dev/null 2>&1 && printf '%s\n' "$exe"
}

# What Wine's audio offers.
_qwe_audio_probe() {
    local exe
    exe=$(_qwe_build_tool audio_probe -lwinmm <<'EOF'
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
int main(void)
{
    printf("mixers=%u waveout=%u wavein=%u\n", mixerGetNumDevs(), waveOutGetNumDevs(), waveInGetNumDevs());
    return 0;
}
EOF
) || return 1
    timeout 60 "$WINELOADER" "$exe" 2>/dev/null | tr -d '\r'
}

# The prefix: a copy of one made once per Wine root (wineboot takes 20 s and
# more, a copy a second), or a new one when there is no copy to take.
_qwe_make_prefix() {
    local cache rc
    cache="$("$_QWE_SCRIPTS/sid-root.sh" path)/var/cache/quorvex-prefix"
    if [ -f "$cache/system.reg" ] && cp -a "$cache" "$WINEPREFIX"; then
        _QWE_PREFIX_HOW=copied
        return 0
    fi
    rm -rf "$WINEPREFIX"
    _QWE_PREFIX_HOW=made
    timeout 300 "$WINELOADER" wineboot -i >"$_QWE_ROOT/logs/wineboot.log" 2>&1
    rc=$?
    # The server writes the registry files when it shuts down, a few seconds
    # after the last program; wait for that, so that the prefix is complete.
    timeout 60 "$WINESERVER" -w >/dev/null 2>&1
    if [ $rc -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
        _qwe_log "wineboot -i failed (status $rc, see $_QWE_ROOT/logs/wineboot.log)"
        return 1
    fi
    # Kept for the next environment; mv -T refuses to replace one that
    # another environment kept meanwhile.
    mkdir -p "${cache%/*}" && cp -a "$WINEPREFIX" "$cache.$$" && mv -T "$cache.$$" "$cache" 2>/dev/null
    rm -rf "$cache.$$"
    return 0
}

# Wine 10 no longer draws on an 8-bit X screen (it says 16 bits there and
# shows pictures wrong), so an 8-bit screen is a 24-bit Xvfb with Wine's own
# 256-colour display mode, set once for the whole environment, as modern
# Windows gives old programs their 256 colours.
_qwe_emulate_depth() {
    local depth=${QUORVEX_SCREEN:-x24} exe
    depth=${depth##*x}
    [ "$depth" = 8 ] || return 0
    exe=$(_qwe_build_tool display_depth -luser32 <<'EOF'
#include <windows.h>
#include <stdlib.h>
int main(int argc, char **argv)
{
    DEVMODEA mode = { 0 };
    mode.dmSize = sizeof(mode);
    if (argc != 2 || !EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, &mode)) return 1;
    mode.dmBitsPerPel = atoi(argv[1]);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}
EOF
) && timeout 60 "$WINELOADER" "$exe" "$depth" >/dev/null 2>&1 || {
        _qwe_log "cannot set a $depth-bit display mode"
        return 1
    }
}

_qwe_start_impl() {
    if [ -n "${_QWE_ROOT:-}" ]; then
        _qwe_log "already started (root $_QWE_ROOT); call wine_env_stop first"
        return 1
    fi
    local t0=$SECONDS t1 rc
    _qwe_save_env

    if [ -n "${QUORVEX_WINE_ROOT:-}" ]; then
        mkdir -p "$QUORVEX_WINE_ROOT" || { wine_env_stop; return 1; }
        _QWE_ROOT=$(cd "$QUORVEX_WINE_ROOT" && pwd)
        _QWE_ROOT_OWNED=0
    else
        _QWE_ROOT=$(mktemp -d /tmp/quorvex-wine.XXXXXX) || { _QWE_ROOT=; wine_env_stop; return 1; }
        _QWE_ROOT_OWNED=1
    fi
    mkdir -p "$_QWE_ROOT/logs" "$_QWE_ROOT/runtime" || { wine_env_stop; return 1; }
    chmod 700 "$_QWE_ROOT/runtime"
    export XDG_RUNTIME_DIR="$_QWE_ROOT/runtime"

    _qwe_start_xvfb || { wine_env_stop; return 1; }

    if [ "${QUORVEX_WINE_AUDIO:-1}" != 0 ]; then
        _qwe_start_pulse || { wine_env_stop; return 1; }
    fi

    export WINEPREFIX="$_QWE_ROOT/prefix"
    export WINEARCH=win64
    export WINELOADER="$_QWE_SCRIPTS/wine-root"
    export WINESERVER="$_QWE_SCRIPTS/wineserver-root"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

    t1=$SECONDS
    _QWE_WINESERVER_STARTED=1
    _qwe_make_prefix || { wine_env_stop; return 1; }
    _QWE_PREFIX_SECONDS=$((SECONDS - t1))
    # Without a timeout argument -p keeps the server up until "wineserver -k";
    # it returns once the server listens on its socket.
    if ! "$WINESERVER" -p >>"$_QWE_ROOT/logs/wineserver.log" 2>&1; then
        _qwe_log "wineserver -p failed"
        wine_env_stop
        return 1
    fi
    for ((rc = 0; rc < 20; rc++)); do
        _QWE_WINESERVER_PID=$(_qwe_wineserver_pid) && break
        sleep 0.1
    done
    _qwe_tune_prefix || { wine_env_stop; return 1; }
    _qwe_emulate_depth || { wine_env_stop; return 1; }

    local audio="audio off"
    if [ "${QUORVEX_WINE_AUDIO:-1}" != 0 ]; then
        audio="pulse sinks: $(pactl list short sinks 2>/dev/null | awk '{print $2}' | paste -sd, -)"
        if [ "${QUORVEX_WINE_PROBE:-1}" != 0 ]; then
            local probe
            probe=$(_qwe_audio_probe)
            [ -n "$probe" ] && audio="$audio; $probe"
        fi
    fi
    printf 'wine-env: DISPLAY=%s (%s) WINEPREFIX=%s (%s in %ss) wineserver pid %s; %s; ready in %ss\n' \
        "$DISPLAY" "${QUORVEX_SCREEN:-1024x768x24}" "$WINEPREFIX" "$_QWE_PREFIX_HOW" "$_QWE_PREFIX_SECONDS" \
        "${_QWE_WINESERVER_PID:-?}" "$audio" "$((SECONDS - t0))"
    return 0
}

# PID of the wineserver that serves our prefix: its working folder is the
# server folder of the prefix (compared as files: the server sees that folder
# through the root's bound /tmp).
_qwe_wineserver_pid() {
    local dir pid
    dir=$(_qwe_server_dir) || return 1
    for pid in $(pgrep -x wineserver 2>/dev/null); do
        if [ "/proc/$pid/cwd" -ef "$dir" ]; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

# Server folder of WINEPREFIX: server-DEV-INODE of the prefix, in a folder
# Debian's Wine makes with mktemp (/tmp/wine-XXXXXX) or upstream's
# /tmp/.wine-UID.
_qwe_server_dir() {
    local name dir
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 1
    name=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for dir in /tmp/wine-??????/"$name" "/tmp/.wine-$(id -u)/$name"; do
        [ -d "$dir" ] && { printf '%s\n' "$dir"; return 0; }
    done
    return 1
}

# Settings that make the prefix fit for unattended tests:
# - X11 Driver "Managed"="N": with no window manager on Xvfb, Wine waits 2 s
#   for a manager's answer each time a managed window is hidden or destroyed
#   (so every GUI program took 2 s longer to end). Unmanaged windows do not
#   wait. QUORVEX_WINE_MANAGED=1 keeps Wine's default.
# - WineDbg "ShowCrashDialog"=0: a crashing program ends with a backtrace on
#   stderr instead of leaving a dialog open.
# - Explorer "Desktop": every program runs inside one virtual desktop window
#   the size of the screen. Only there does what a program writes straight
#   into DirectDraw's primary surface reach the X screen (and a screenshot).
_qwe_tune_prefix() {
    local reg="$_QWE_ROOT/logs/tune.reg"
    local screen=${QUORVEX_SCREEN:-1024x768x24}
    local desktop=${QUORVEX_WINE_DESKTOP:-${screen%x*}}
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
        if [ "${QUORVEX_WINE_MANAGED:-0}" != 1 ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
        fi
        if [ "$desktop" != 0 ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n' "$desktop"
        fi
    } >"$reg"
    if ! timeout 60 "$WINELOADER" regedit /s "$(_qwe_windows_path "$reg")" >>"$_QWE_ROOT/logs/wineboot.log" 2>&1; then
        _qwe_log "could not import $reg"
        return 1
    fi
}

# Z:\... path of a Unix path (Wine maps / to Z:).
_qwe_windows_path() {
    local path=$1
    printf 'Z:%s\n' "${path//\//\\}"
}

_qwe_run_impl() {
    [ -n "${WINELOADER:-}" ] || { _qwe_log "wine_env_start has not run"; return 1; }
    "$WINELOADER" "$@"
}

_qwe_set_version_impl() {
    local version=$1
    [ -n "${WINEPREFIX:-}" ] || { _qwe_log "wine_env_start has not run"; return 1; }
    if [ -z "$version" ] || [ "$version" = default ]; then
        "$WINELOADER" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
        return 0
    fi
    "$WINELOADER" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1 || {
        _qwe_log "could not set Version=$version"
        return 1
    }
}

_qwe_set_app_version_impl() {
    local exe=$1 version=$2
    [ -n "${WINEPREFIX:-}" ] || { _qwe_log "wine_env_start has not run"; return 1; }
    [ -n "$exe" ] || { _qwe_log "usage: wine_env_set_app_version EXE VERSION"; return 1; }
    local key="HKCU\\Software\\Wine\\AppDefaults\\$exe"
    if [ -z "$version" ] || [ "$version" = default ]; then
        "$WINELOADER" reg delete "$key" /v Version /f >/dev/null 2>&1
        return 0
    fi
    "$WINELOADER" reg add "$key" /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1 || {
        _qwe_log "could not set Version=$version for $exe"
        return 1
    }
}

_qwe_stop_impl() {
    local pid server_dir=""

    # Wine first: the server takes every Wine process of the prefix with it.
    if [ "${_QWE_WINESERVER_STARTED:-0}" = 1 ] && [ -n "${WINEPREFIX:-}" ] && [ -n "${WINESERVER:-}" ]; then
        server_dir=$(_qwe_server_dir 2>/dev/null)
        pid=$(_qwe_wineserver_pid 2>/dev/null)
        "$WINESERVER" -k >/dev/null 2>&1
        timeout 20 "$WINESERVER" -w >/dev/null 2>&1
        [ -n "$pid" ] && _qwe_kill_wait "$pid" 30
        [ -n "${_QWE_WINESERVER_PID:-}" ] && _qwe_kill_wait "$_QWE_WINESERVER_PID" 30
        # The server leaves its folder behind; remove it, and Debian's
        # per-prefix mktemp parent when nothing else is in it.
        if [ -n "$server_dir" ] && [ -d "$server_dir" ]; then
            rm -rf "$server_dir"
            case ${server_dir%/*} in
                */wine-??????) rmdir "${server_dir%/*}" 2>/dev/null ;;
            esac
        fi
    fi
    _QWE_WINESERVER_STARTED=0
    _QWE_WINESERVER_PID=

    if [ -n "${_QWE_ROOT:-}" ] && [ -d "$_QWE_ROOT/runtime/pulse" ]; then
        pid=$(cat "$_QWE_ROOT/runtime/pulse/pid" 2>/dev/null)
        [ -n "$pid" ] && _qwe_kill_wait "$pid" 50
    fi
    [ -n "${_QWE_PULSE_PID:-}" ] && _qwe_kill_wait "$_QWE_PULSE_PID" 50
    _QWE_PULSE_PID=

    if [ -n "${_QWE_XVFB_PID:-}" ]; then
        _qwe_kill_wait "$_QWE_XVFB_PID" 50
        # Xvfb removes these itself on TERM; a KILLed one leaves them behind.
        if [ -n "${_QWE_XVFB_DISPLAY:-}" ]; then
            local n=${_QWE_XVFB_DISPLAY#:}
            if [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X$n-lock")" = "$_QWE_XVFB_PID" ]; then
                rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
            fi
        fi
    fi
    _QWE_XVFB_PID=
    _QWE_XVFB_DISPLAY=

    if [ -n "${_QWE_ROOT:-}" ] && [ -d "$_QWE_ROOT" ] && [ "${QUORVEX_WINE_KEEP:-0}" != 1 ]; then
        if [ "${_QWE_ROOT_OWNED:-0}" = 1 ]; then
            # A test that made a folder immutable and died before undoing it
            # would leave it behind otherwise.
            rm -rf "$_QWE_ROOT" 2>/dev/null ||
                { chattr -R -i "$_QWE_ROOT" 2>/dev/null; rm -rf "$_QWE_ROOT"; }
        else
            # A root named by the caller: remove only what we put there.
            rm -rf "$_QWE_ROOT/prefix" "$_QWE_ROOT/runtime" "$_QWE_ROOT/pulse" \
                "$_QWE_ROOT/logs" "$_QWE_ROOT/probe"
            rmdir "$_QWE_ROOT" 2>/dev/null
        fi
    elif [ -n "${_QWE_ROOT:-}" ] && [ -d "$_QWE_ROOT" ]; then
        _qwe_log "kept $_QWE_ROOT"
    fi
    _QWE_ROOT=
    _QWE_ROOT_OWNED=0

    _qwe_restore_env
    return 0
}

# The public functions run with errexit, nounset and pipefail switched off,
# whatever the caller's shell uses (CI scripts often run with set -euo
# pipefail), so that a failing probe or kill never leaves a stop half done.
# The caller's options are put back afterwards.
_qwe_call() {
    local _qwe_opts _qwe_rc
    _qwe_opts=$(set +o)
    set +e +u +o pipefail
    "$@"
    _qwe_rc=$?
    eval "$_qwe_opts"
    return $_qwe_rc
}

wine_env_start() { _qwe_call _qwe_start_impl "$@"; }
wine_env_stop() { _qwe_call _qwe_stop_impl; }
wine_env_run() { _qwe_call _qwe_run_impl "$@"; }
wine_env_set_version() { _qwe_call _qwe_set_version_impl "$@"; }
wine_env_set_app_version() { _qwe_call _qwe_set_app_version_impl "$@"; }
