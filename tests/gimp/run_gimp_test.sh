#!/bin/sh
# Runs one Script-Fu test file in a throw-away GIMP profile with the plug-in
# installed, then checks what the script recorded: its own results, and the
# pixel comparisons against the command-line tool listed in its manifest.
# Usage: run_gimp_test.sh TEST PLUGIN TEST-HELPER-PLUGIN CLI WORKDIR
# Needs gimp-console-2.10 and ImageMagick's convert.
set -eu

test_name=$1 plugin=$2 helper=$3 cli=$4 work=$5
scripts=$(cd "$(dirname "$0")" && pwd)
dir=$work/$test_name

rm -rf "$dir"
mkdir -p "$dir/profile/plug-ins/ormolo2" "$dir/profile/plug-ins/ormolo2-test-helper"
cp "$plugin" "$dir/profile/plug-ins/ormolo2/ormolo2"
cp "$helper" "$dir/profile/plug-ins/ormolo2-test-helper/ormolo2-test-helper"

# Batch mode has no display, whatever the calling session has: an
# interactive call must find out that it cannot open its dialog.
GIMP2_DIRECTORY=$dir/profile timeout 400 env -u DISPLAY gimp-console-2.10 -i -d -f -n \
    -b "(begin (define test-dir \"$dir\") (load \"$scripts/helpers.scm\")
               (load \"$scripts/$test_name.scm\") (finish-tests))" \
    -b '(gimp-quit 0)' >"$dir/gimp.log" 2>&1 || true

failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

if [ ! -f "$dir/results.txt" ] || [ "$(tail -n 1 "$dir/results.txt")" != done ]; then
    fail "$test_name: the script did not run to its end; see $dir/gimp.log"
    cat "$dir/gimp.log"
fi
grep '^FAIL' "$dir/results.txt" 2>/dev/null || true
script_failures=$(grep -c '^FAIL' "$dir/results.txt" 2>/dev/null) || script_failures=0
failures=$((failures + script_failures))

# Decoded pixels, always as 8-bit RGBA, so that PNG encodings do not matter.
raw() {
    convert "$1" -depth 8 rgba:"$2"
}

same_pixels() { # NAME EXPECTED.png GOT.png
    raw "$2" "$dir/$1-expected.rgba"
    raw "$3" "$dir/$1-got.rgba"
    if cmp -s "$dir/$1-expected.rgba" "$dir/$1-got.rgba"; then
        echo "ok $1"
    else
        fail "$1: $(cmp -l "$dir/$1-expected.rgba" "$dir/$1-got.rgba" 2>&1 | wc -l) bytes differ" \
            "between $2 and $3"
    fi
}

if [ -f "$dir/manifest.txt" ]; then
    while read -r kind name a rest; do
        case $kind in
        render)
            # $a is the selection's place in the layer (+X+Y), or "-" for
            # the whole layer; $rest holds the tool's options.
            input=$dir/$name-in.png
            [ "$a" = - ] || input=$dir/$name-in-crop.png
            # shellcheck disable=SC2086 # the options are split on purpose
            if ! "$cli" $rest "$input" "$dir/$name-cli-out.png" >"$dir/$name-cli.log" 2>&1; then
                fail "$name: the command-line tool failed; see $dir/$name-cli.log"
                continue
            fi
            if [ "$a" = - ]; then
                cp "$dir/$name-cli-out.png" "$dir/$name-cli.png"
            else
                convert "$dir/$name-in.png" "$dir/$name-cli-out.png" -geometry "$a" \
                    -compose Copy -composite "$dir/$name-cli.png"
            fi
            same_pixels "$name" "$dir/$name-cli.png" "$dir/$name-gimp.png"
            ;;
        same)
            same_pixels "$name" "$dir/$a" "$dir/$rest"
            ;;
        contains) # written by GIMP at its exit, so checked here
            if grep -q -F -- "$rest" "$dir/$a"; then
                echo "ok $name"
            else
                fail "$name: $a does not contain $rest"
            fi
            ;;
        esac
    done <"$dir/manifest.txt"
fi

echo "$test_name: $failures failures"
[ "$failures" -eq 0 ]
