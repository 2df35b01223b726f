#!/bin/sh
# Runs every fuzz target for FUZZ_SECONDS (default 60) from the committed seeds; fails on a finding.
# usage: FUZZ_SECONDS=120 fuzz/run.sh build-fuzz/bin
set -u
bin=${1:?usage: fuzz/run.sh BIN_DIR}
seconds=${FUZZ_SECONDS:-60}
here=$(cd "$(dirname "$0")" && pwd)
out=${FUZZ_OUT:-$(dirname "$bin")/fuzz-out}
mkdir -p "$out"
status=0
for seeds in "$here"/seeds/*/; do
  target=$(basename "$seeds")
  if [ ! -x "$bin/$target" ]; then
    echo "fuzz: $bin/$target is missing (build target fuzz_targets)" >&2
    status=1
    continue
  fi
  # The fuzzer adds what it finds to a working corpus; the committed seeds stay as they are.
  corpus="$out/$target-corpus"
  mkdir -p "$corpus"
  cp "$seeds"* "$corpus"/
  echo "fuzz: $target for $seconds s"
  if ! "$bin/$target" -max_total_time="$seconds" -max_len=70000 -rss_limit_mb=2560 -timeout=30 \
      -artifact_prefix="$out/$target-" -print_final_stats=1 "$corpus"; then
    echo "fuzz: $target found a crash; reproducer in $out/" >&2
    status=1
  fi
done
exit $status
