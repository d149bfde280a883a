#!/bin/sh
# Works the plug-in's settings dialog in the real GIMP, as a user would with
# the keyboard. GIMP runs dialog.scm on a display server of this test's own;
# the script opens the dialog once per session and blocks until it is
# answered, while this driver waits for each dialog, sends it keys through
# xdotool and answers it. At the end it checks what the script recorded.
# Screenshots of every dialog stay in WORKDIR: NAME-open.png as it opened
# (defaults-open.png shows the default layout), NAME-changed.png after keys.
# Usage: run_dialog_test.sh PLUGIN TEST-HELPER-PLUGIN ORMOLO2-TOOL WORKDIR
# Needs Xvfb, gimp-2.10, xdotool and ImageMagick.
set -u

plugin=$1 helper=$2 tool=$3 dir=$4
scripts=$(cd "$(dirname "$0")" && pwd)

rm -rf "$dir"
mkdir -p "$dir/profile/plug-ins/ormolo2" "$dir/profile/plug-ins/ormolo2-test-helper"
cp "$plugin" "$dir/profile/plug-ins/ormolo2/ormolo2"
cp "$helper" "$dir/profile/plug-ins/ormolo2-test-helper/ormolo2-test-helper"

xvfb_pid='' gimp_pid=''
cleanup() {
    if [ -n "$gimp_pid" ]; then
        kill "$gimp_pid" 2>/dev/null
        wait "$gimp_pid" 2>/dev/null
    fi
    # Plug-ins of this profile that outlived GIMP.
    pkill -f "$dir/profile/plug-ins/" 2>/dev/null
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

# Whether display :$1 is served by the Xvfb that this test started: its
# lock file names the server's process, a child of our timeout process.
own_display() {
    lock_pid=$(tr -d ' ' <"/tmp/.X$1-lock" 2>/dev/null) &&
        [ "$(ps -o ppid= -p "$lock_pid" | tr -d ' ')" = "$xvfb_pid" ]
}

# A display server on the first free display from :90 to :99. The timeouts
# bound every process that this test starts, should the test itself be killed.
for n in 90 91 92 93 94 95 96 97 98 99; do
    [ -e "/tmp/.X$n-lock" ] && continue
    timeout 800 Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    if own_display "$n" && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
        export DISPLAY=":$n"
        break
    fi
    # Another server took the display first.
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=''
done
if [ -z "$xvfb_pid" ]; then
    echo "FAIL no free display from :90 to :99"
    exit 1
fi

# The plug-in leaves evidence of its preview renders in $evidence (see
# src/dialog/preview_evidence.h). The portable lanes make the busy sessions'
# previews take seconds on any processor.
evidence=$dir/previews
mkdir -p "$evidence"
ORMOLO_PREVIEW_EVIDENCE=$evidence ORMOLO_LANES=portable \
GIMP2_DIRECTORY=$dir/profile timeout 700 gimp-2.10 -n -d -f -s --no-splash \
    -b "(begin (define test-dir \"$dir\") (load \"$scripts/../gimp/helpers.scm\")
               (load \"$scripts/dialog.scm\") (finish-tests))" \
    -b '(gimp-quit 1)' >"$dir/gimp.log" 2>&1 &
gimp_pid=$!

# wait_for WHAT SECONDS COMMAND...: waits until the command succeeds, or
# fails with WHAT after SECONDS or once GIMP has ended.
wait_for() {
    what=$1 deadline=$(($(date +%s) + $2))
    shift 2
    until "$@"; do
        if ! kill -0 "$gimp_pid" 2>/dev/null; then
            "$@" && return # it may have come true as GIMP ended
            fail "$what"
            return 1
        fi
        if [ "$(date +%s)" -ge "$deadline" ]; then
            fail "$what"
            return 1
        fi
        sleep 0.2
    done
}

# Which dialog belongs to which session is decided by what the script and
# the processes say, never by catching a moment when no dialog is shown:
# successive dialogs have the same title and may even get the same window
# id. The script names the session in session.txt before each call and
# writes NAME.ended when the call has returned; every call runs in a plug-in
# process of its own, whose id GTK puts on the dialog's window
# (_NET_WM_PID). A dialog of a process whose dialog was already answered is
# an old one that has not gone yet, and is never taken for the next.
answered_pids=''

# The first visible dialog of a process whose dialog has not been answered
# yet, as "WINDOW PID".
fresh_dialog() {
    for w in $(xdotool search --onlyvisible --name '^Ormolo 2\.0$' 2>/dev/null); do
        owner=$(xdotool getwindowpid "$w" 2>/dev/null) || continue
        case " $answered_pids " in *" $owner "*) continue ;; esac
        echo "$w $owner"
        return
    done
}
dialog_shown() { [ -n "$(fresh_dialog)" ]; }
announced() { [ "$(cat "$dir/session.txt" 2>/dev/null)" = "$1" ]; }
call_returned() { [ -e "$dir/$1.ended" ]; }

# What the driver sees, for a failure message.
seen() {
    echo "  session.txt: '$(cat "$dir/session.txt" 2>/dev/null)'"
    echo "  sessions whose call returned: $(cd "$dir" && ls -- *.ended 2>/dev/null | sed 's/\.ended$//' | tr '\n' ' ')"
    echo "  processes whose dialog was answered: $answered_pids"
    for w in $(xdotool search --onlyvisible --name '^Ormolo 2\.0$' 2>/dev/null); do
        echo "  visible dialog: window $w of process $(xdotool getwindowpid "$w" 2>/dev/null || echo '?')"
    done
}

# Ends the run when a dialog does not come or a call does not return: the
# script would wait.
abort() {
    fail "$1; the driver saw:"
    seen
    echo "  the end of $dir/gimp.log:"
    grep -v -e "theme engine" -e "^$" "$dir/gimp.log" | tail -n 20 | sed 's/^/    /'
    exit 1
}

# The top of the dialog, where the preview is, as raw pixels.
preview_pixels() {
    convert "$1" -crop 200x52+0+0 +repage -depth 8 rgba:-
}
# The preview renders late after the dialog is shown: the open dialog is
# taken once two screenshots half a second apart show the same preview.
preview_settled() {
    sleep 0.3
    import -window "$window" "$dir/$name-open.png"
    preview_pixels "$dir/$name-open.png" >"$dir/$name-open.new"
    if cmp -s "$dir/$name-open.new" "$dir/$name-open.rgba" 2>/dev/null; then
        rm "$dir/$name-open.new"
        return
    fi
    mv "$dir/$name-open.new" "$dir/$name-open.rgba"
    return 1
}
preview_changed() {
    import -window "$window" "$dir/$name-changed.png"
    ! preview_pixels "$dir/$name-changed.png" | cmp -s - "$dir/$name-open.rgba"
}

# Sends each argument as one key chord, or types it after "type:"; at
# "check-preview", waits until the preview differs from the open dialog's.
keys() {
    for chord; do
        case $chord in
        type:*) xdotool type --delay 60 "${chord#type:}" ;;
        check-preview)
            wait_for "$name: the preview did not follow the controls" 60 preview_changed ;;
        *) xdotool key "$chord" ;;
        esac
        sleep 0.3
    done
}

# session NAME ANSWER KEY...: waits for the dialog of session NAME, sends it
# the keys, then answers it with the chord ANSWER and waits until the
# script says that the call has returned.
session() {
    name=$1 answer=$2
    shift 2
    # The first session waits for GIMP to start, the others for the checks
    # of the session before.
    wait_for "$name: the script did not come to this session" 240 announced "$name" ||
        abort "$name: not announced"
    wait_for "$name: no dialog opened" 120 dialog_shown || abort "$name: no dialog"
    announced "$name" || abort "$name: a dialog of session '$(cat "$dir/session.txt")' opened instead"
    found=$(fresh_dialog)
    [ -n "$found" ] || abort "$name: the dialog went away before it was answered"
    window=${found% *} pid=${found#* }
    xdotool windowfocus --sync "$window"
    wait_for "$name: the preview did not settle" 60 preview_settled
    keys "$@" "$answer"
    answered_pids="$answered_pids $pid"
    wait_for "$name: the call did not return after the answer" 120 call_returned "$name" ||
        abort "$name: no return"
}

# The keys work as in any GTK 2 dialog: Alt+letter activates the control
# with that mnemonic or, when several share it, moves the focus to the next
# of them without activating it (R: Round, then Round2; S: the Smoothing
# label, which has no target, then Spherical Map). Tab skips radio buttons
# that are off; an arrow on a radio button turns on its neighbour. Page_Up
# lowers the slider by 0.5 and End sets it to 1; Up steps a spin button by
# its step and Page_Down by 0.5; Return takes the text typed into it.

# Nothing stored yet. Flat, invert, Spherical Map with the combo's first
# drawable, specularity 0.5, then Cancel.
session cancel alt+c alt+f alt+i alt+s alt+s space Tab Tab Page_Up check-preview
# Round at depth 7.2, the preview switched off, then the window is closed:
# Escape takes the dialog's close path, as the window manager's button does.
session close Escape alt+r space Tab Up Up check-preview alt+p
session defaults alt+o
# Flat, Smoothing 5, Flat depth 4.5, invert, specularity 0.5, preview off.
session keyboard-normal alt+o alt+f Tab Up Up Tab type:4.5 Return alt+i alt+n Tab Tab Page_Up \
    check-preview alt+p
# Invert off, Round (an arrow from Flat) at depth 6.25, Round2 depth 19.5,
# Spherical Map with the combo's second drawable, the probe layer,
# specularity back to 1, preview on.
session keyboard-probe alt+o alt+i alt+f Down Tab type:6.25 Return Tab Page_Down \
    alt+s alt+s space Tab Down Tab End alt+p check-preview
session stored-record alt+o
# The stored probe layer is closed by now: back to the normal map.
session undo alt+o alt+n

# The evidence of process $1's preview renders, one line each without the
# process id.
renders_of() { sed -n "s/^$1 //p" "$evidence/previews.log" 2>/dev/null; }
# The render of process $1 in flight after its first $2 lines of evidence.
render_in_flight() { renders_of "$1" | head -n "$2" | tail -n 1 | sed -n 's/^started \([0-9]*\) .*/\1/p'; }
render_in_flight_now() { render_in_flight "$1" "$(renders_of "$1" | wc -l)"; }
# Whether process $1 has a render in flight, started after its first $2
# lines, that is still in flight half a second later: a long one, not a
# quick render that is about to be drawn.
long_render_in_flight() {
    n=$(render_in_flight_now "$1")
    [ -n "$n" ] && renders_of "$1" | tail -n +$(($2 + 1)) | grep -q "^started $n " || return 1
    sleep 0.5
    [ "$(render_in_flight_now "$1")" = "$n" ]
}
drawn_after() { renders_of "$1" | tail -n +$(($2 + 1)) | grep -q '^drawn '; }
# A zombie has ended too: GIMP reaps it later.
process_ended() {
    state=$(ps -o stat= -p "$1" 2>/dev/null)
    [ -z "$state" ] || [ "${state#Z}" != "$state" ]
}
now() { date +%s%N; }

# busy_dialog NAME: waits for the dialog of session NAME and focuses it,
# as session does, but does not wait for its preview, which takes seconds.
busy_dialog() {
    name=$1
    wait_for "$name: the script did not come to this session" 240 announced "$name" ||
        abort "$name: not announced"
    wait_for "$name: no dialog opened" 120 dialog_shown || abort "$name: no dialog"
    found=$(fresh_dialog)
    window=${found% *} pid=${found#* }
    echo "$pid" >"$dir/$name.pid"
    xdotool windowfocus --sync "$window"
}

# end_during_render MARK CHORD: once a preview render that started after
# the first MARK lines of the session's evidence is in flight, sends CHORD,
# which must end the dialog; the process must end within a second, and the
# render must have been stopped, not completed.
end_during_render() {
    wait_for "$name: no long preview render" 60 long_render_in_flight "$pid" "$1" || abort "$name: no render"
    rendering=$(render_in_flight_now "$pid")
    shift
    start=$(now)
    xdotool key "$1"
    until process_ended "$pid" || [ $(($(now) - start)) -gt 10000000000 ]; do sleep 0.02; done
    ms=$((($(now) - start) / 1000000))
    echo "$name: the plug-in ended ${ms} ms after $1 during a preview render"
    [ "$ms" -le 1000 ] || fail "$name: the plug-in took ${ms} ms to end after $1"
    renders_of "$pid" | grep -qx "stopped $rendering" ||
        fail "$name: render $rendering was not stopped by $1: $(renders_of "$pid" | tr '\n' ';')"
    answered_pids="$answered_pids $pid"
    wait_for "$name: the call did not return after $1" 120 call_returned "$name" || abort "$name: no return"
}

image_title() {
    xdotool getwindowname "$(xdotool search --onlyvisible --name 'ormolo-undo' | head -n 1)" 2>/dev/null
}
# Clean again after the undo (or already closed by the script).
image_clean() { ! image_title | grep -q '^\*'; }
if wait_for "undo: the render was not confirmed" 120 announced undo-ctrl-z; then
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name 'ormolo-undo' | head -n 1)"
    xdotool key ctrl+z
    wait_for "undo: Ctrl+Z left the image dirty" 60 image_clean
fi

# Flat during the first preview render: the render in flight stops and the
# next one shows Flat (the manifest compares it with the command-line tool),
# and no render that started before the key is drawn. Then Round2 again,
# and Escape during its render.
busy_dialog busy
wait_for "busy: no long preview render" 60 long_render_in_flight "$pid" 0 || abort "busy: no render"
mark=$(renders_of "$pid" | wc -l)
xdotool key alt+f
wait_for "busy: Flat was never drawn" 120 drawn_after "$pid" "$mark" || abort "busy: no Flat preview"
n=$(render_in_flight "$pid" "$mark")
renders_of "$pid" | grep -qx "stopped $n" ||
    fail "busy: render $n, in flight when Flat was chosen, was not stopped: $(renders_of "$pid" | tr '\n' ';')"
mark=$(renders_of "$pid" | wc -l)
keys alt+r alt+r space
# The Flat preview stays in view while Round2 renders, under a progress bar.
sleep 0.5
import -window "$window" "$dir/busy-rendering.png"
end_during_render "$mark" Escape

busy_dialog busy-cancel
end_during_render 0 alt+c

gimp_exited() { ! kill -0 "$gimp_pid" 2>/dev/null; }
wait_for "GIMP did not quit" 120 gimp_exited && gimp_pid=''

if [ ! -f "$dir/results.txt" ] || [ "$(tail -n 1 "$dir/results.txt")" != "done" ]; then
    fail "the script did not run to its end; see $dir/gimp.log"
fi
grep -v "^done$" "$dir/results.txt" 2>/dev/null
script_failures=$(grep -c '^FAIL' "$dir/results.txt" 2>/dev/null) || script_failures=0
failures=$((failures + script_failures))

# Both PNGs come from the same writer, so equal pixels give equal files.
# The plug-in's own criticals, but for the one that libgimp 2.10's
# gimp_drawable_preview_new always gives.
criticals=$(grep -E '^\(ormolo2:[0-9]+\): .*CRITICAL' "$dir/gimp.log" |
    grep -v 'gimp_drawable_preview_set_drawable_id')
[ -z "$criticals" ] || fail "the plug-in logged:
$criticals"

# preview_equals_tool NAME INPUT OPTIONS: the last preview that the process
# of session NAME drew equals the command-line tool's render of that area of
# INPUT with OPTIONS.
preview_equals_tool() {
    pid=$(cat "$dir/$1.pid")
    n=$(renders_of "$pid" | sed -n 's/^drawn //p' | tail -n 1)
    set -- "$1" "$2" "$3" $(renders_of "$pid" | sed -n "s/^started $n //p")
    [ -n "$n" ] && [ $# -eq 8 ] || return 1
    name=$1 input=$2 options=$3 x=$4 y=$5 width=$6 height=$7
    format=$([ "$8" = 4 ] && echo rgba || echo rgb)
    convert "$dir/$input" -crop "${width}x${height}+$x+$y" +repage "$dir/$name-area.png" &&
        (cd "$dir" && "$tool" $options "$name-area.png" "$name-tool.png") &&
        convert "$dir/$name-tool.png" -depth 8 "$format:$dir/$name-tool.data" &&
        cmp -s "$dir/$name-tool.data" "$evidence/preview-$pid-$n.data"
}

[ -f "$dir/manifest.txt" ] && while read -r kind name first second; do
    if [ "$kind" = preview ]; then
        if preview_equals_tool "$name" "$first" "$second"; then
            echo "ok $name-preview"
        else
            fail "$name: the last preview drawn differs from ormolo2 $second on its area of $first"
        fi
        continue
    fi
    if cmp -s "$dir/$first" "$dir/$second"; then equal=yes; else equal=no; fi
    case $kind:$equal in
    same:yes | differ:no) echo "ok $name" ;;
    same:no) fail "$name: $first and $second differ" ;;
    differ:yes) fail "$name: $first and $second are the same" ;;
    esac
done <"$dir/manifest.txt"

echo "dialog: $failures failures"
[ "$failures" -eq 0 ]
