#!/usr/bin/env bash
# Sets everything up, builds the x86_64 program and runs Tavion.exe under Wine in the
# project-local prefix (in a virtual display when there is no DISPLAY). Extra arguments go to
# Tavion.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh win64
exec tools/wine-run build/win64/bin/Tavion.exe "$@"
