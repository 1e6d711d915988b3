#!/usr/bin/env bash
# Builds Talbex and runs its main window headless with the built-in simulated camera for
# a few seconds: the camera is found and identified. Arguments, when given, go to talbex
# instead (see build/default/src/talbex --help); they run on the simulated camera too
# unless they name a camera (--camera) or TALBEX_CAMERA does.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default >/dev/null
if [ $# -eq 0 ]; then
  set -- --headless --seconds 8
fi
case "${1:-}" in
  serial | sim-serve) ;;
  *)
    if [[ " $* " != *" --camera "* && -z "${TALBEX_CAMERA:-}" ]]; then
      set -- --camera sim "$@"
    fi
    ;;
esac
exec build/default/src/talbex "$@"
