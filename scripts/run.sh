#!/usr/bin/env bash
# Builds Talbex and runs its main window headless with the built-in simulated camera for
# a few seconds: the camera is found and identified. Arguments, when given, go to talbex
# instead (see build/default/src/talbex --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default >/dev/null
if [ $# -eq 0 ]; then
  set -- --headless --seconds 8
fi
exec build/default/src/talbex "$@"
