#!/usr/bin/env bash
# Sets up, builds and starts the tool on the simulated card. Extra arguments go to the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/brenmoor --simulated-card "$@"
