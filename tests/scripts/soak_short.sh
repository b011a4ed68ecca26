#!/usr/bin/env bash
# A short soak: a minute of the app's content with a virtual unit, saving,
# loading, measuring and taking level reports the whole time. The ten-minute
# run with the memory check is tools/soak.sh.
set -u
BUILD="$1"; SRC="$2"
exec bash "$SRC/tools/soak.sh" 60 "$BUILD"
