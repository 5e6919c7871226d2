#!/bin/sh
# Runs a fuzzer from its seed corpus without writing into it.
# Usage: run.sh FUZZER SEED_CORPUS ARTIFACT_DIR [libFuzzer options...]
# New inputs go to a scratch corpus that is thrown away; an input that makes
# the fuzzer fail is kept in ARTIFACT_DIR.
set -eu
fuzzer=$1
seeds=$2
artifacts=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$artifacts"
"$fuzzer" -artifact_prefix="$artifacts/" "$@" "$scratch" "$seeds"
