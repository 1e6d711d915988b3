#!/usr/bin/env bash
# The soak run (not part of CI): builds the default preset and runs the remote-control
# window with live view for MINUTES (default 10), a picture every SECONDS (default 10),
# printing resident memory, open descriptors, threads and frames per second each minute.
# Ends with status 0 when every picture is in the save folder and memory, descriptors and
# threads stayed flat. Usage: bench/soak.sh [MINUTES [SECONDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default >/dev/null
exec build/default/bench/bench_soak_remote_control "${1:-10}" "${2:-10}"
