#!/usr/bin/env bash
# Builds Talbex and runs the whole test suite. Usage: scripts/test.sh [PRESET]
# (default, asan or tsan; default: "default").
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/setup.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
