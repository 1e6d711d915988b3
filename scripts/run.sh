#!/usr/bin/env bash
# Builds Talbex and runs it with the built-in simulated camera. Extra arguments go to talbex.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default >/dev/null
exec build/default/src/talbex "$@"
