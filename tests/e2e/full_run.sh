#!/usr/bin/env bash
# Left alone, the player plays the whole demo (184 s of the 192 s soundtrack) and ends by
# itself with code 0.
source "$(dirname "$0")/lib.sh"

start_xvfb 1280x720x24
# The music's clock sets how long this takes, whatever the frame rate: the player may render
# fewer frames on one thread at low priority, so the tests beside it keep the processors.
PLAYER_NICE=10 start_player SDL_AUDIODRIVER=dummy LP_NUM_THREADS=1
started=$SECONDS
wait_player 260
elapsed=$((SECONDS - started))

check "exit code 0" [ "$EXIT_CODE" -eq 0 ]
check "ran at least 184 s (took ${elapsed} s)" [ "$elapsed" -ge 184 ]
check "stderr begins with the self-test" first_line_is "$ERR" "unit tests run successfully"
check "stderr ends with the end of the demo" last_line_is "$ERR" "out of demo..."
check "it played the music, not the silent clock" bash -c \
    "! grep -q 'no music' '$OUT' && ! grep -q 'ERROR' '$ERR'"
finish
