#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz, one after the other on one core, for FUZZ_SECONDS each,
# and prints per target the executions and the findings. Usage: run_fuzzers.sh <build dir> [targets...]
# Working corpora grow in <build dir>/fuzz-work/<target>; findings land in <build dir>/fuzz-findings/<target>.
set -uo pipefail

build_dir=$1
shift
seconds=${FUZZ_SECONDS:-60}
# Scratch files of the targets go to memory when the machine offers it.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
source_dir=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(binary_file asm_text decode blob_loader roundtrip)
fi

summary=()
status=0
for target in "${targets[@]}"; do
  work="$build_dir/fuzz-work/$target"
  findings="$build_dir/fuzz-findings/$target"
  log="$build_dir/fuzz-logs/$target.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  echo "fuzz: $target for ${seconds}s"
  "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=${FUZZ_TIMEOUT:-10} -max_len=${FUZZ_MAX_LEN:-2048} \
    -artifact_prefix="$findings/" -close_fd_mask=1 \
    "$work" "$source_dir/corpus/$target" $(ls -d "$source_dir/regressions/$target" 2>/dev/null) >"$log" 2>&1
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  found=$(find "$findings" -type f | wc -l)
  summary+=("$(printf '%-12s executions %12s   findings %3s   (%s)' "$target" "${execs:-?}" "$found" "$findings")")
  if [ "$found" -ne 0 ]; then
    status=1
  fi
done
echo
printf '%s\n' "${summary[@]}"
exit $status
