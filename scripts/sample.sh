#!/usr/bin/env bash
# Installs the dependencies, builds rawsplit, writes the sample R00 input with
# the project's own writer and converts it, printing the run messages.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
mkdir -p sample-out
build/make_sample sample-out/gs00233a.r00
cd sample-out
../build/rawsplit -deimav -s gs00233a.r00
ls -l
