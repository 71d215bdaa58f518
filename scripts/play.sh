#!/usr/bin/env bash
# Sets everything up and starts the game in this folder (it reads data/ from here).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/vantor
