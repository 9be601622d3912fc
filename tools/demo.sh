#!/usr/bin/env bash
# The demonstration run by "./orv.sh demo": shows what the system can do so far.
set -euo pipefail
build=${1:-build}
echo "Built into $build. Nothing to demonstrate yet."
