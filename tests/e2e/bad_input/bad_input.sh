#!/usr/bin/env bash
# bad_input.sh - the bad-input matrix: every kind of data file the programs read, damaged every
# way, against the real programs. Each case must end without a crash or a hang, leave one line
# naming the file and what is wrong (none for a missing sync track, which reads 0 by design),
# and leave everything else working.
#
# The table of cases is CASES below (docs/bad_input.md explains it). Cases that damage
# different files with independent effects share one run of a program: a run makes a fresh
# root (bin/ and data/ as ./run.sh lays them out), applies the damage of all its cases, runs
# the program once and then checks each case. The programs:
#   player    bin/demoplayer under an X server of its own, with the real plug-ins; it must
#             keep running (after 2 s its main loop still answers the 'l' key) and end on q
#   render    bin/demorender over three frames at 149 s (the distance-field scene), where the
#             scenes read their own tracks, logos and post-processing shaders
#   assets    bin/demorender at 1 s with only the asset plug-in (tests/modules/plugins/
#             test_asset_reader.cpp), which loads the run's models and look-up images
#   synctool  synctool compile of the damaged timeline
# Every process is started in a session of its own and ended as a whole group.
set -uo pipefail
shopt -u patsub_replacement 2>/dev/null # "&" in a file name stays a "&"

PLAYER=${PLAYER:?PLAYER must name the demoplayer binary}
RENDER=${RENDER:?RENDER must name the demorender binary}
SYNCTOOL=${SYNCTOOL:?SYNCTOOL must name the synctool binary}
TOOL=${BAD_INPUT_TOOL:?BAD_INPUT_TOOL must name bad_input_tool}
ASSET_PLUGIN=${ASSET_PLUGIN:?ASSET_PLUGIN must name the asset test plug-in}
DEMO_DATA=${DEMO_DATA:?DEMO_DATA must name the built data/}
TIMELINE=${TIMELINE:?TIMELINE must name the demo timeline}
export SDL_AUDIODRIVER=dummy

MUSIC="data/muzak/Kelpmoor - Vantaloid Tides_demoedit02.mp3"
MODEL=data/models/asset.obj   # the asset plug-in's sound model, drawn in every assets run
LUT=data/textures/asset_lut.png

# ---- the cases ------------------------------------------------------------------------------
# run | kind | damage | file | how it is made | expected line (ERE; @F the file, @B its name)
#     | outcome | waits on
# how:  missing, empty, dir (a directory in its place), garbage (4 KiB of text and bytes),
#       cut:N (the first N bytes; cut:-N drops the last N), copy:FILE (another kind of file),
#       grey8 (an 8-bit PNG), huge-png (a PNG header announcing 100000 x 100000), elf-absurd
#       (an ELF header with its program headers at 2^47), id3-huge (an ID3 tag header
#       announcing 256 MiB before the music), long-line (one line of 3 MB), bytes:PRINTF,
#       text:PRINTF
# outcome: once (the line appears exactly once), music (the music still streams), silence
#       (the designed silent clock runs instead), scene (the distance-field scene still
#       loads), silent (nothing names the file); the run's own ending is checked for every case
# waits on: the fix this case needs that is being made elsewhere, or -
CASES=(
"start | texture | garbage | data/textures/stripeback02.png | garbage | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once music scene | -"
"start | texture | 8-bit image | data/textures/tlv_wobble.png | grey8 | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 8$ | once music | -"
"start | texture | missing | data/textures/default_white.png | missing | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once music | -"
"start | texture | absurd size (100000 x 100000 header) | data/textures/default_black.png | huge-png | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once music | -"
"start | texture | cut | data/textures/loadscreen.jpg | cut:3000 | ^## ERROR: cannot read image \"@F\": .+$ | music | -"
"start | shader | cut | data/shaders/raymarch.frag | cut:-100 | ^## ERROR: compilation of @F failed$ | music scene | -"
"start | shader | empty | data/shaders/unlit.frag | empty | ^## ERROR: compilation of @F failed$ | once music | -"
"start | shader | directory | data/shaders/debugcol.vert | dir | ^## ERROR: compilation of @F failed$ | once music | -"
"start | shader | missing | data/shaders/default.frag | missing | ^## ERROR: shader-file not found \"@F\"$ | once music | -"
"start | shader | garbage | data/shaders/post_passthrough.frag | garbage | ^## ERROR: compilation of @F failed$ | music | -"
"start | plug-in | garbage | bin/renderJunk.so | garbage | ^## ERROR: code module-load failed: \".*/bin/dll_cache/@B\"$ | once music scene | -"
"start | plug-in | empty | bin/renderEmpty.so | empty | ^## ERROR: code module-load failed: \".*/bin/dll_cache/@B\"$ | once music scene | -"
"start | plug-in | wrong kind (a PNG) | bin/renderPicture.so | copy:data/textures/noise.png | ^## ERROR: code module-load failed: \".*/bin/dll_cache/@B\"$ | once music scene | -"
"start | plug-in | absurd size (program headers at 2^47) | bin/renderAbsurd.so | elf-absurd | ^## ERROR: code module-load failed: \".*/bin/dll_cache/@B\"$ | once music scene | -"
"start | plug-in | directory | bin/renderFolder.so | dir | - | silent music scene | -"
"start | sync track | garbage | data/sync/_march_scene.track | garbage | ^## WARNING: sync track \"@F\" announces [0-9]+ keys but holds only [0-9]+; keys used: [0-9]+$ | once music | -"
"start | sync track | cut | data/sync/_march_scenenum.track | cut:-1 | ^## WARNING: sync track \"@F\" announces [0-9]+ keys but holds only [0-9]+; keys used: [0-9]+$ | once music | -"
"music-missing | music | missing | $MUSIC | missing | ^# bass didn't recognize the filetype: \".*/@F\"$ | once silence scene | -"
"music-empty | music | empty | $MUSIC | empty | ^# bass didn't recognize the filetype: \".*/@F\"$ | once silence scene | -"
"music-cut | music | cut (the first 12 s) | $MUSIC | cut:300000 | ^# bass streaming file \".*/@F\" \[size: [0-9]+ bytes\]# \[length: 0m1[0-9]s\]$ | once music scene | -"
"music-garbage | music | garbage | $MUSIC | garbage | ^# bass didn't recognize the filetype: \".*/@F\"$ | once silence scene | -"
"music-picture | music | wrong kind (a PNG) | $MUSIC | copy:data/textures/noise.png | ^# bass didn't recognize the filetype: \".*/@F\"$ | once silence scene | -"
"music-id3 | music | absurd size (ID3 tag of 256 MiB) | $MUSIC | id3-huge | ^# bass didn't recognize the filetype: \".*/@F\"$ | once silence scene | -"
"music-folder | music | directory | $MUSIC | dir | ^## ERROR: cSoundModule_bass::load cannot read \".*/@F\": it is a directory$ | once silence scene | -"
"music-folder | plug-in | cut | bin/renderCut.so | cut:20000 | ^## ERROR: code module-load failed: \".*/bin/dll_cache/@B\"$ | once | -"
"render | sync track | missing | data/sync/_slice_offset.track | missing | - | silent | -"
"render | sync track | empty | data/sync/_blob_morph.track | empty | ^## WARNING: sync track \"@F\" is empty, without even a key count; keys used: 0$ | once | -"
"render | sync track | directory | data/sync/_blob_distort.track | dir | ^## WARNING: sync track \"@F\" cannot be read: Is a directory; it reads 0$ | once | -"
"render | sync track | wrong kind (a PNG) | data/sync/_glowintensity.track | copy:data/textures/noise.png | ^## WARNING: sync track \"@F\" announces 1196314761 keys but holds only [0-9]+; keys used: [0-9]+$ | once | -"
"render | sync track | absurd size (2^31 - 1 keys announced) | data/sync/_mch_vofs.track | bytes:\xff\xff\xff\x7f\x00\x00\x00\x00\x00\x00\x00\x00\x01 | ^## WARNING: sync track \"@F\" announces 2147483647 keys but holds only 1; keys used: 1$ | once | -"
"render | sync track | absurd size (2^31 keys announced) | data/sync/_mch_vblur.track | bytes:\x00\x00\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x01 | ^## WARNING: sync track \"@F\" announces -2147483648 keys, a negative count; keys used: 0$ | once | -"
"render | sync track | cut | data/sync/_blob_matmorph.track | cut:-4 | ^## WARNING: sync track \"@F\" announces [0-9]+ keys but holds only [0-9]+; keys used: [0-9]+$ | once | -"
"render | texture | garbage | data/textures/tolvane_logo.jpg | garbage | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once | -"
"render | texture | 8-bit image | data/textures/logo_kelpmoor.png | grey8 | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 8$ | once | -"
"render | texture | directory | data/textures/pruxa_logo.jpg | dir | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once | -"
"render | texture | absurd size (100000 x 100000 header) | data/textures/vignette02.png | huge-png | ^images must be 24 or 32 bpp\.\.\. \"@F\" is 0$ | once | -"
"render | shader | wrong kind (a PNG) | data/shaders/post_comp_burn.frag | copy:data/textures/noise.png | ^## ERROR: compilation of @F failed$ | once | -"
"render | shader | missing | data/shaders/post_comp_dodge.frag | missing | ^## ERROR: shader-file not found \"@F\"$ | once | -"
"assets | OBJ model | empty | data/models/empty.obj | empty | ^# warning, no vertices in @F: the model is empty$ | once | -"
"assets | OBJ model | garbage | data/models/garbage.obj | garbage | ^# warning, no vertices in @F: the model is empty$ | once | -"
"assets | OBJ model | wrong kind (a PNG) | data/models/picture.obj | copy:data/textures/noise.png | ^# warning, no vertices in @F: the model is empty$ | once | -"
"assets | OBJ model | absurd index (2^31) | data/models/far.obj | text:v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 2147483648\n | ^## ERROR in @F line 4: face refers to vertex 2147483648, but 3 were read before it\.\.\. face skipped!$ | once | -"
"assets | look-up image | missing | data/textures/lut_missing.png | missing | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"assets | look-up image | empty | data/textures/lut_empty.png | empty | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"assets | look-up image | garbage | data/textures/lut_garbage.png | garbage | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"assets | look-up image | directory | data/textures/lut_folder.png | dir | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"assets | look-up image | 8-bit image | data/textures/lut_grey.png | grey8 | ^## ERROR: colour look-up table \"@F\" has 8 bits per pixel, 24 or 32 needed$ | once | -"
"assets | look-up image | wrong kind (a plain picture) | data/textures/lut_picture.png | copy:data/textures/stripeback02.png | ^## ERROR: colour look-up table \"@F\" is [0-9]+ x [0-9]+, but n slices of n x n need a width of n \* n for a height of n$ | once | -"
"assets | look-up image | absurd size (100000 x 100000 header) | data/textures/lut_huge.png | huge-png | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"assets | look-up image | cut | data/textures/lut_cut.png | copy:$LUT cut:-40 | ^## ERROR: colour look-up table \"@F\" cannot be read as an image: .+$ | once | -"
"obj-missing | OBJ model | missing | data/models/missing.obj | missing | File not found: \"@F in cObjLoader::load_file\(\.\.\)$ | once | -"
"obj-folder | OBJ model | directory | data/models/folder.obj | dir | File not found: \"@F in cObjLoader::load_file\(\.\.\)$ | once | -"
"obj-cut | OBJ model | cut (in the last face) | data/models/cut.obj | copy:$MODEL cut:-3 | ^## ERROR in @F line [0-9]+: face with 2 corners, a face needs 3 or more$ | once | -"
"tl-missing | timeline | missing | data/demo.timeline | missing | ^synctool: cannot read @F: .+$ | once | -"
"tl-empty | timeline | empty | data/demo.timeline | empty | ^synctool: 0 tracks written to | once | -"
"tl-cut | timeline | cut | data/demo.timeline | cut:3246 | ^@F:[0-9]+: | once | -"
"tl-garbage | timeline | garbage | data/demo.timeline | garbage | ^@F:1: | - | -"
"tl-folder | timeline | directory | data/demo.timeline | dir | @F | - | synctool: a directory"
"tl-picture | timeline | wrong kind (a PNG) | data/demo.timeline | copy:data/textures/noise.png | ^@F:1: | - | -"
"tl-row | timeline | absurd size (row 2^31) | data/demo.timeline | text:cam 2147483648 1 linear\n | ^@F:1: row 2147483648 is out of range | once | -"
"tl-line | timeline | absurd size (one line of 3 MB) | data/demo.timeline | long-line | ^@F:1: | once | -"
"on-missing | onset list | missing | data/demo.onsets | missing | ^data/demo.timeline:[0-9]+: onsets: @F: cannot read the onset file: .+$ | once | -"
"on-garbage | onset list | garbage | data/demo.onsets | garbage | ^data/demo.timeline:[0-9]+: onsets: @F:[0-9]+: | - | -"
)

# ---- the runs -------------------------------------------------------------------------------
# run | program | ending: what must hold when it is over
RUNS=(
"start | player | keeps running, ends on q with 0"
"music-missing | player | keeps running, ends on q with 0"
"music-empty | player | keeps running, ends on q with 0"
"music-cut | player | keeps running, ends on q with 0"
"music-garbage | player | keeps running, ends on q with 0"
"music-picture | player | keeps running, ends on q with 0"
"music-id3 | player | keeps running, ends on q with 0"
"music-folder | player | keeps running, ends on q with 0"
"render | render | exit 0, three frames with the scene drawn"
"assets | assets | exit 0, the sound model drawn through the sound look-up table"
"obj-missing | assets | exit 255"
"obj-folder | assets | exit 255"
"obj-cut | assets | exit 255"
"tl-missing | synctool | exit 1, nothing written"
"tl-empty | synctool | exit 0"
"tl-cut | synctool | exit 1, nothing written"
"tl-garbage | synctool | exit 1, nothing written"
"tl-folder | synctool | exit 1, nothing written"
"tl-picture | synctool | exit 1, nothing written"
"tl-row | synctool | exit 1, nothing written"
"tl-line | synctool | exit 1, nothing written"
"on-missing | synctool | exit 1, nothing written"
"on-garbage | synctool | exit 1, nothing written"
)

# ---- helpers --------------------------------------------------------------------------------

WORK=$(mktemp -d)
SESSIONS=()
cleanup() {
    local s
    for s in "${SESSIONS[@]}"; do kill -9 -- "-$s" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
report=()
result() { # result OK|FAIL TEXT [WAITS_ON]
    local line="$1: $2"
    [[ "$1" == FAIL && -n "${3:-}" && "$3" != - ]] && line+="   [waits on: $3]"
    echo "$line"
    [[ "$1" == FAIL ]] && failures=$((failures + 1)) && report+=("$line")
}

# split LINE: the fields of a table line into FIELDS, blanks around each removed.
split() {
    local IFS=$'\x1f' f
    read -r -a FIELDS <<<"${1// | /$'\x1f'}"
    for f in "${!FIELDS[@]}"; do
        FIELDS[$f]="${FIELDS[$f]#"${FIELDS[$f]%%[![:space:]]*}"}"
        FIELDS[$f]="${FIELDS[$f]%"${FIELDS[$f]##*[![:space:]]}"}"
    done
}

regex_quote() { sed 's/[][\.*^$+?(){}|/]/\\&/g' <<<"$1"; }

garbage() { # 4 KiB of text, control bytes, invalid UTF-8 and NULs, the same every time
    local i
    for ((i = 0; i < 64; i++)); do printf '\x8f\x01garbage \xff\xfe %04d {{{ ]]] \x00\x7f\n' "$i"; done
}

# damage ROOT FILE HOW: makes FILE (relative to ROOT) the way HOW says; steps run in order.
damage() {
    local root=$1 file="$1/$2" step
    mkdir -p "$(dirname "$file")"
    for step in $3; do
        case "$step" in
        missing) rm -rf "$file" ;;
        empty) rm -rf "$file" && : >"$file" ;;
        dir) rm -rf "$file" && mkdir "$file" ;;
        garbage) garbage >"$file" ;;
        cut:-*) truncate -s "-${step#cut:-}" "$file" ;;
        cut:*) truncate -s "${step#cut:}" "$file" ;;
        copy:*) cp "$root/${step#copy:}" "$file" ;;
        grey8) "$TOOL" grey8 "$file" ;;
        huge-png) "$TOOL" huge-png 100000 100000 "$file" ;;
        id3-huge) # an ID3 tag header announcing 256 MiB, before the music's first 200 kB
            { printf 'ID3\x04\x00\x00\x7f\x7f\x7f\x7f' && head -c 200000 "$file"; } >"$file.new" &&
                mv "$file.new" "$file" ;;
        long-line) head -c 3000000 /dev/zero | tr '\0' a >"$file" ;;
        elf-absurd) "$TOOL" elf-absurd "$(dirname "$PLAYER")/renderModuleDistfield.so" "$file" ;;
        *) echo "damage: unknown step $step" >&2 && return 1 ;;
        esac
    done
}
# bytes: and text: hold blanks, so they are not steps of a list.
make_file() { # make_file ROOT FILE HOW
    case "$3" in
    bytes:*) printf "${3#bytes:}" >"$1/$2" ;;
    text:*) printf "${3#text:}" >"$1/$2" ;;
    *) damage "$@" ;;
    esac
}

# start CWD COMMAND...: runs COMMAND in CWD as the leader of a session of its own; sets PID.
start() {
    local cwd=$1
    shift
    (cd "$cwd" && exec setsid "$@") &
    PID=$!
    SESSIONS+=("$PID")
}

# finish SECONDS: waits for PID to end, ending its whole group after SECONDS; sets RC (124 on
# timeout). Whatever the group left behind is ended too.
finish() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$PID" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
    if kill -0 "$PID" 2>/dev/null; then
        kill -9 -- "-$PID" 2>/dev/null
        wait "$PID" 2>/dev/null
        RC=124
    else
        wait "$PID"
        RC=$?
    fi
    kill -9 -- "-$PID" 2>/dev/null
}

# make_root DIR PROGRAM: bin/ and data/ as ./run.sh has them, for PROGRAM.
make_root() {
    mkdir -p "$1/bin/dll_cache"
    cp -r "$DEMO_DATA" "$1/data"
    mkdir -p "$1/data/models"
    case "$2" in
    player) cp "$PLAYER" "$(dirname "$PLAYER")"/render*.so "$1/bin/" ;;
    render) cp "$RENDER" "$(dirname "$PLAYER")"/render*.so "$1/bin/" ;;
    assets)
        cp "$RENDER" "$ASSET_PLUGIN" "$1/bin/"
        # Visible from the start: one key of 1 at row 0 (count, row, value, step).
        printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80\x3f\x00' >"$1/data/sync/_test_assets.track"
        # A square over the middle of the frame, drawn in clip coordinates.
        printf 'v -0.5 -0.5 0\nv 0.5 -0.5 0\nv 0.5 0.5 0\nv -0.5 0.5 0\nf 1 2 3\nf 1 3 4\n' >"$1/$MODEL"
        "$TOOL" lut 16 "$1/$LUT"
        ;;
    synctool) cp "$TIMELINE" "$(dirname "$TIMELINE")/demo.onsets" "$1/data/" ;;
    esac
}

# ---- the programs ---------------------------------------------------------------------------
# Each sets RC and ENDING (empty when the run's ending holds, else what went wrong), and leaves
# the logs in $LOGS.

run_player() {
    local root=$1 fifo="$1/displayfd" display
    mkfifo "$fifo"
    # -noreset as in lib.sh: no reset between the player's clients and the window search.
    (exec setsid Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null) &
    local xvfb=$!
    SESSIONS+=("$xvfb")
    if ! read -r -t 20 display <"$fifo"; then
        ENDING="Xvfb did not start" RC=-1
        kill -9 -- "-$xvfb" 2>/dev/null
        return
    fi
    export DISPLAY=":$display"
    start "$root/bin" ./demoplayer
    local player=$PID deadline=$((SECONDS + 120)) window=
    while kill -0 "$player" 2>/dev/null && ((SECONDS < deadline)); do
        window=$(xdotool search --onlyvisible --name '^OpenGL$' 2>/dev/null | head -n 1)
        [[ -n "$window" ]] && break
        sleep 0.2
    done
    ENDING=
    if [[ -z "$window" ]]; then
        ENDING="no window appeared"
    else
        sleep 2
        if ! kill -0 "$player" 2>/dev/null; then
            ENDING="it did not keep running"
        else
            # The key waits in SDL's queue until the main loop starts, after the loading screen,
            # which takes a while on a loaded machine: the deadline is for a hang, not for speed.
            xdotool key l 2>/dev/null
            local wait_l=$((SECONDS + 90))
            until grep -qxF unlimited "$root/bin/stderr.txt" 2>/dev/null || ((SECONDS >= wait_l)); do
                sleep 0.1
            done
            grep -qxF unlimited "$root/bin/stderr.txt" || ENDING="its main loop did not answer a key"
            xdotool key q 2>/dev/null
        fi
    fi
    PID=$player
    finish 20
    [[ -z "$ENDING" && $RC -ne 0 ]] && ENDING="exit code $RC after q"
    kill -9 -- "-$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    LOGS=("$root/bin/stdout.txt" "$root/bin/stderr.txt")
}

run_render() {
    local root=$1
    start "$root" ./bin/demorender --from 149000 --to 149066 --fps 30 --out frames
    finish 240
    ENDING=
    if ((RC != 0)); then
        ENDING="exit code $RC"
    else
        local frames lit
        frames=$(ls "$root/frames" 2>/dev/null | wc -l)
        lit=$("$TOOL" lit "$root/frames/frame_000002.png" 2>/dev/null)
        ((frames == 3)) || ENDING="$frames frames written, not 3"
        [[ -z "$ENDING" && "${lit:-0}" -lt 50 ]] && ENDING="the last frame is only ${lit:-0} % lit"
    fi
}

run_assets() {
    local root=$1 expect=$2
    start "$root" ./bin/demorender --time 1000 --out frame.png
    finish 120
    ENDING=
    if [[ "$expect" == "exit 255"* ]]; then
        ((RC == 255)) || ENDING="exit code $RC, not 255"
        return
    fi
    if ((RC != 0)); then
        ENDING="exit code $RC"
        return
    fi
    # Green through the inverting table is magenta; the dark grey around it turns light.
    local centre corner
    centre=$("$TOOL" pixel "$root/frame.png" 640 360)
    corner=$("$TOOL" pixel "$root/frame.png" 20 20)
    read -r r g b <<<"$centre"
    ((r > 200 && g < 60 && b > 200)) || ENDING="the model is not drawn graded: centre is $centre"
    read -r r g b <<<"$corner"
    [[ -z "$ENDING" ]] && ! ((r > 180 && g > 180 && b > 180)) &&
        ENDING="the background is not graded: corner is $corner"
}

run_synctool() {
    local root=$1 expect=$2
    mkdir "$root/out"
    start "$root" "$SYNCTOOL" compile data/demo.timeline out
    finish 30
    ENDING=
    local want=${expect#exit }
    want=${want%%,*}
    ((RC == want)) || ENDING="exit code $RC, not $want"
    [[ "$expect" == *"nothing written"* && -n "$(ls "$root/out")" ]] && ENDING+=" files were written"
}

# ---- running the table ----------------------------------------------------------------------

started=$SECONDS
for run_line in "${RUNS[@]}"; do
    split "$run_line"
    run=${FIELDS[0]} program=${FIELDS[1]} expect=${FIELDS[2]}
    root="$WORK/$run"
    make_root "$root" "$program"
    models=() luts=()
    for case_line in "${CASES[@]}"; do
        split "$case_line"
        [[ "${FIELDS[0]}" == "$run" ]] || continue
        make_file "$root" "${FIELDS[3]}" "${FIELDS[4]}"
        [[ "${FIELDS[1]}" == "OBJ model" ]] && models+=("${FIELDS[3]}")
        [[ "${FIELDS[1]}" == "look-up image" ]] && luts+=("${FIELDS[3]}")
    done
    LOGS=("$root/out.txt" "$root/err.txt")
    run_started=$SECONDS
    case "$program" in
    player) run_player "$root" ;;
    render) run_render "$root" >"$root/out.txt" 2>"$root/err.txt" ;;
    assets)
        # The sound model first and the sound table last: the plug-in grades with the last
        # table that loaded.
        TEST_ASSET_MODELS=$MODEL TEST_ASSET_LUTS=
        for f in "${models[@]}"; do TEST_ASSET_MODELS+=":$f"; done
        for f in "${luts[@]}"; do TEST_ASSET_LUTS+="$f:"; done
        export TEST_ASSET_MODELS TEST_ASSET_LUTS="$TEST_ASSET_LUTS$LUT"
        run_assets "$root" "$expect" >"$root/out.txt" 2>"$root/err.txt"
        ;;
    synctool) run_synctool "$root" "$expect" >"$root/out.txt" 2>"$root/err.txt" ;;
    esac
    cat "${LOGS[@]}" >"$root/all.txt" 2>/dev/null
    echo "--- run $run ($program, $((SECONDS - run_started)) s): exit code $RC"

    # The run's ending, shared by its cases; a signal or a sanitizer's report is a crash.
    crash=
    ((RC > 128 && RC != 255)) && crash="ended by signal $((RC - 128))"
    ((RC == 124)) && crash="did not end within its time"
    grep -qE 'terminate called|AddressSanitizer|runtime error:|Segmentation fault|Bus error' \
        "$root/all.txt" && crash+=" aborted: $(grep -m1 -E 'terminate called|AddressSanitizer|runtime error:' "$root/all.txt")"

    for case_line in "${CASES[@]}"; do
        split "$case_line"
        [[ "${FIELDS[0]}" == "$run" ]] || continue
        kind=${FIELDS[1]} damage=${FIELDS[2]} file=${FIELDS[3]} pattern=${FIELDS[5]}
        outcome=${FIELDS[6]} waits=${FIELDS[7]}
        name="$kind / $damage ($file)"
        problems=()
        [[ -n "$crash" ]] && problems+=("$crash")
        [[ -n "$ENDING" ]] && problems+=("$ENDING")
        quoted=$(regex_quote "$file")
        base=$(regex_quote "$(basename "$file")")
        if [[ "$pattern" != - ]]; then
            pattern=${pattern//@F/"$quoted"}
            pattern=${pattern//@B/"$base"}
            n=$(grep -cE -- "$pattern" "$root/all.txt")
            if ((n == 0)); then
                problems+=("no line naming the file")
            elif [[ " $outcome " == *" once "* ]] && ((n != 1)); then
                problems+=("reported $n times, not once")
            fi
        fi
        for o in $outcome; do
            case "$o" in
            music) grep -qF '# bass streaming file "' "$root/all.txt" || problems+=("the music does not play") ;;
            silence) grep -qxF '# note: no music, the demo clock runs in real time in silence' \
                "$root/all.txt" || problems+=("no silent clock") ;;
            scene) grep -qxF 'loading "march_scene"...' "$root/all.txt" ||
                problems+=("the distance-field scene was not loaded") ;;
            silent) ! grep -qF -- "$(basename "$file")" "$root/all.txt" ||
                problems+=("a line names it: $(grep -m1 -F -- "$(basename "$file")" "$root/all.txt")") ;;
            esac
        done
        if ((${#problems[@]} == 0)); then
            result ok "$name"
        else
            result FAIL "$name: $(IFS=';'; echo "${problems[*]}")" "$waits"
        fi
    done
    if [[ -n "${KEEP_LOGS:-}" ]]; then mkdir -p "$KEEP_LOGS" && cp "$root/all.txt" "$KEEP_LOGS/$run.txt"; fi
    rm -rf "$root"
done

echo "=== ${#CASES[@]} cases in ${#RUNS[@]} runs, $((SECONDS - started)) s, $failures failed"
for line in "${report[@]}"; do echo "$line"; done
((failures == 0))
