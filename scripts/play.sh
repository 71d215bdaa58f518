#!/usr/bin/env bash
# Installs and builds what playing needs and starts the game in this folder
# (it reads data/ from here); scripts/test.sh builds the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --play
exec build/vantor
