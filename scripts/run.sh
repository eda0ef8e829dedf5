#!/usr/bin/env bash
# Installs what is missing, builds and starts the recorder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
exec build/korvanta-recorder "$@"
