#!/usr/bin/env bash
# Sets everything up, builds every preset and runs every test tier: native (ASan + UBSan), then
# Wine (unit tests of the Win32 side and end-to-end tests of Tavion.exe) in one virtual display,
# then the checks of the i686 files (plain export names of the plug-ins).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh native win64 win32 bench
ctest --preset native
source tools/wine-env.sh
wine_prepare_prefix
tools/with-display ctest --preset win64
ctest --preset win32
