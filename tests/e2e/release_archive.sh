#!/usr/bin/env bash
# The release archive as a user gets it: CPack makes it from this build, it is unpacked into a
# temporary directory far from the source tree, and its own bin/demorender renders a frame
# there. Every library its binaries load must come from a package its README names, so the
# archive runs with runtime packages alone (no -dev package, nothing from the build tree).
#   BUILD_DIR=<build> bash tests/e2e/release_archive.sh
set -uo pipefail
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build directory}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ---- make and unpack -----------------------------------------------------------------------
if ! cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1; then
    cat "$WORK/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
archives=("$WORK"/out/demo-*-linux-x86_64.tar.gz)
[[ -f ${archives[0]} ]] || { ls -l "$WORK/out"; echo "FAIL: no demo-<version>-linux-x86_64.tar.gz"; exit 1; }
echo "made $(basename "${archives[0]}") ($(du -h "${archives[0]}" | cut -f1))"
mkdir "$WORK/unpacked"
tar -xzf "${archives[0]}" -C "$WORK/unpacked" || { echo "FAIL: cannot unpack"; exit 1; }
top="$WORK/unpacked/$(basename "${archives[0]}" .tar.gz)"
[[ -d $top ]] || { echo "FAIL: the archive has no top folder named like itself"; exit 1; }

for f in bin/demoplayer bin/demorender bin/demolive README.txt data/muzak data/sync data/shaders; do
    [[ -e $top/$f ]] || fail "$f is not in the archive"
done
ls "$top"/bin/render*.so >/dev/null 2>&1 || fail "no scene plug-in in bin/"
ls "$top"/bin/renderTest*.so >/dev/null 2>&1 && fail "a test plug-in went into the archive"

# ---- it renders from where it was unpacked ---------------------------------------------------
(cd "$top/bin" && exec setsid timeout -k 5 120 ./demorender --time 149000 --out "$WORK/frame.png" \
    </dev/null >"$WORK/render.out" 2>"$WORK/render.err")
rc=$?
if ((rc != 0)); then
    fail "the archive's demorender ended with $rc"
    tail -n 20 "$WORK/render.err"
elif grep -q '^## ' "$WORK/render.out" "$WORK/render.err"; then
    fail "the archive's demorender warned:"
    grep '^## ' "$WORK/render.out" "$WORK/render.err"
else
    # A black or empty 1280 x 720 PNG compresses to a few KiB; a rendered frame does not.
    size=$(stat -c %s "$WORK/frame.png" 2>/dev/null || echo 0)
    if ((size > 50000)); then
        echo "rendered a frame at 149 s ($size bytes)"
    else
        fail "the rendered frame is missing or blank ($size bytes)"
    fi
fi

# ---- every library comes from a package the README names -------------------------------------
named=" $(sed -n '/^Runtime packages/,$p' "$top/README.txt" | tr -s ' \\\n' ' ') "
declare -A loaded_by # library path -> the first binary that loads it
for binary in "$top"/bin/demoplayer "$top"/bin/demorender "$top"/bin/*.so; do
    deps=$(ldd "$binary" 2>&1)
    if grep -q "not found" <<<"$deps"; then
        fail "$(basename "$binary") needs a library that is not installed:"
        grep "not found" <<<"$deps"
    fi
    for lib in $(awk '/=> \//{print $3} /^[[:space:]]*\//{print $1}' <<<"$deps"); do
        [[ -n ${loaded_by[$lib]:-} ]] || loaded_by[$lib]=$(basename "$binary")
    done
done
# One dpkg query for all of them (it is slow per call): each library under every name merged
# /usr may have registered it by.
declare -A owner_of # path -> package
while IFS= read -r line; do
    [[ $line == *": /"* ]] || continue
    pkgs=${line%%: /*}
    owner_of[/${line#*: /}]=${pkgs%%:*}
done < <(for lib in "${!loaded_by[@]}"; do
    r=$(readlink -f "$lib")
    printf '%s\n' "$lib" "$r" "/usr$lib" "/usr$r"
done | sort -u | xargs dpkg -S 2>/dev/null)
package_of() { # package_of PATH
    local r
    r=$(readlink -f "$1")
    echo "${owner_of[$1]:-${owner_of[$r]:-${owner_of[/usr$1]:-${owner_of[/usr$r]:-}}}}"
}
checked=0
for lib in "${!loaded_by[@]}"; do
    by=${loaded_by[$lib]}
    case $lib in "$WORK"* | "$BUILD_DIR"*) fail "$by loads $lib from the build"; continue ;; esac
    pkg=$(package_of "$lib")
    if [[ -z $pkg ]]; then
        fail "$by: $lib belongs to no package"
    elif [[ $pkg == *-dev || $named != *" $pkg "* ]]; then
        fail "$by: $lib comes from $pkg, which the README does not name"
    fi
    checked=$((checked + 1))
done
echo "checked the $checked libraries the binaries load against the README"

((failures == 0)) && echo "release archive: ok"
exit $((failures > 0))
