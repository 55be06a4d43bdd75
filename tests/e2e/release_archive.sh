#!/usr/bin/env bash
# The release archive as a user gets it: CPack makes it from this build, it is unpacked into a
# temporary directory far from the source tree, and its own bin/demorender renders a frame
# there. Its binaries need only the libraries in its lib/ and the baseline its README names, find
# lib/ through run paths relative to themselves (from bin/ and from bin/dll_cache/), and ask for
# no newer glibc or libstdc++ than the README names; everything it carries has its licence.
# scripts/release-test starts the same archive on bare Debian 12 and 13 roots.
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

# ---- what the machine must have, and what the archive carries ------------------------------
readme=$top/README.txt
machine=$(sed -n '/^What the machine must have/,$p' "$readme")
for need in "OpenGL 3.3 in the compatibility profile" "an X or Wayland session" "a sound device"; do
    grep -qF "$need" <<<"$machine" || fail "the README does not say the machine needs $need"
done
grep -q "apt-get" "$readme" && fail "the README still asks for packages to be installed"
# The baseline's names (globs) as the README lists them, one a line.
baseline=$(grep -o '\(lib\|ld-\)[^ ]*\.so[^ ]*' <<<"$machine" | sort -u)
[[ -n $baseline ]] || fail "the README names no baseline libraries"
in_baseline() { # in_baseline NAME
    local glob
    while IFS= read -r glob; do
        # shellcheck disable=SC2053 # the README's names are globs
        [[ $1 == $glob ]] && return 0
    done <<<"$baseline"
    return 1
}
glibc_max=$(grep -o 'glibc [0-9.]*[0-9]' <<<"$machine" | head -n 1 | cut -d' ' -f2)
glibcxx_max=$(grep -o 'GLIBCXX_[0-9.]*[0-9]' <<<"$machine" | head -n 1 | cut -d_ -f2)
[[ -n $glibc_max && -n $glibcxx_max ]] || fail "the README gives no glibc or GLIBCXX version"
newer() { [[ $(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n 1) != "$2" ]]; } # newer A B: A > B

[[ -f $top/licences/BUNDLED.txt ]] || fail "licences/BUNDLED.txt is not in the archive"
carried=0
for lib in "$top"/lib/*; do
    name=$(basename "$lib")
    carried=$((carried + 1))
    in_baseline "$name" && fail "lib/$name is in the baseline, which the machine provides"
    package=$(awk -v n="$name" '$1 == n {print $2}' "$top/licences/BUNDLED.txt" 2>/dev/null)
    [[ -n $package && -s $top/licences/$package ]] || fail "lib/$name has no licence in licences/"
done
((carried > 0)) || fail "lib/ is empty"

# Every ELF file: each library it needs is in lib/ or in the baseline, its run path is relative
# to itself, and it needs no glibc or libstdc++ newer than the README's.
elves=("$top"/bin/demoplayer "$top"/bin/demorender "$top"/bin/demolive "$top"/bin/*.so "$top"/lib/*)
for elf in "${elves[@]}"; do
    rel=${elf#"$top"/}
    dynamic=$(readelf -d "$elf" 2>&1) || { fail "$rel is not an ELF file"; continue; }
    for needed in $(sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$dynamic"); do
        [[ -f $top/lib/$needed ]] || in_baseline "$needed" ||
            fail "$rel needs $needed, which is neither in lib/ nor in the baseline"
    done
    runpath=$(sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p' <<<"$dynamic")
    case $rel in
        bin/*.so) want='$ORIGIN/../lib:$ORIGIN/../../lib' ;; # from bin/ and from bin/dll_cache/
        bin/*) want='$ORIGIN/../lib' ;;
        lib/*) want='$ORIGIN' ;;
    esac
    [[ $runpath == "$want" ]] || fail "$rel has the run path '$runpath', not '$want'"
    grep -q '(RPATH)' <<<"$dynamic" && fail "$rel has an RPATH, which LD_LIBRARY_PATH cannot override"
    versions=$(objdump -T "$elf" | grep -o 'GLIBC\(XX\)\?_[0-9.]*[0-9]' | sort -Vu)
    top_glibc=$(grep '^GLIBC_' <<<"$versions" | cut -d_ -f2 | sort -V | tail -n 1)
    top_glibcxx=$(grep '^GLIBCXX_' <<<"$versions" | cut -d_ -f2 | sort -V | tail -n 1)
    [[ -n $top_glibc ]] && newer "$top_glibc" "$glibc_max" && fail "$rel needs glibc $top_glibc"
    [[ -n $top_glibcxx ]] && newer "$top_glibcxx" "$glibcxx_max" && fail "$rel needs GLIBCXX_$top_glibcxx"
done

# The loader finds lib/ from the programs in bin/ and from the plug-ins' copies in bin/dll_cache/
# (where the player loads them from): every library they reach without passing through the
# baseline (whose own dependencies are the machine's) resolves into lib/.
needed_of() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }
cp "$top"/bin/render*.so "$top/bin/dll_cache/"
for binary in "$top"/bin/demoplayer "$top"/bin/demorender "$top"/bin/demolive "$top"/bin/dll_cache/*.so; do
    declare -A found=() seen=()
    while read -r name path; do found[$name]=$path; done < <(env -u LD_LIBRARY_PATH ldd "$binary" |
        awk '$2 == "=>" {print $1, $3}')
    queue=($(needed_of "$binary"))
    while ((${#queue[@]})); do
        name=${queue[0]}
        queue=("${queue[@]:1}")
        [[ -n ${seen[$name]:-} ]] && continue
        seen[$name]=1
        in_baseline "$name" && continue
        if [[ $(readlink -f "${found[$name]:-none}") != "$(readlink -f "$top/lib/$name")" ]]; then
            fail "${binary#"$top"/} loads $name from ${found[$name]:-nowhere}, not from lib/"
        elif [[ -f $top/lib/$name ]]; then
            queue+=($(needed_of "$top/lib/$name"))
        fi
    done
    unset found seen
done
rm -f "$top"/bin/dll_cache/*.so
echo "lib/ carries $carried libraries; every ELF file needs only them and the README's baseline"

((failures == 0)) && echo "release archive: ok"
exit $((failures > 0))
