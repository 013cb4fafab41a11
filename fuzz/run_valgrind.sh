#!/usr/bin/env bash
# Runs the trace programs of the example networks and the ecforge tool on its test files under valgrind
# memcheck and prints, per run, the errors and the bytes definitely lost. Fails when any run has an
# error or a definite leak. Usage: run_valgrind.sh <build dir>
set -uo pipefail

build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/zuno_valgrind_XXXXXX")
trap 'rm -rf "$work"' EXIT

valgrind_args=(--tool=memcheck --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=99)
ecforge="$build_dir/onnx_backend/tools/ecforge/ecforge"
data="$source_dir/onnx_backend/tools/ecforge/tests/data/cli"

summary=()
status=0

# run <label> <directory> <expected exit code> <command...>
run() {
  local label=$1 dir=$2 expected=$3
  shift 3
  local log="$work/$(echo "$label" | tr ' /' '__').log"
  (cd "$dir" && valgrind "${valgrind_args[@]}" --log-file="$log" "$@" >/dev/null 2>&1)
  local code=$?
  local errors lost
  errors=$(grep -o 'ERROR SUMMARY: [0-9,]*' "$log" | tail -1 | grep -o '[0-9,]*$' | tr -d ,)
  lost=$(grep -o 'definitely lost: [0-9,]* bytes' "$log" | tail -1 | grep -o '[0-9,]* bytes' | tr -d ,)
  lost=${lost:-0 bytes}
  summary+=("$(printf '%-44s exit %3s (expected %s)   errors %s   definitely lost %s' "$label" "$code" "$expected" "${errors:-?}" "$lost")")
  if [ "$code" -ne "$expected" ] || [ "${errors:-1}" != 0 ] || [ "$lost" != "0 bytes" ]; then
    status=1
    echo "valgrind: $label failed; log:" >&2
    cat "$log" >&2
  fi
}

for net in face_detection keyword_spotting; do
  mkdir -p "$work/$net"
  # The dynamically linked twin of the static trace program: same sources, same libraries.
  run "trace program $net" "$work/$net" 0 "$build_dir/fuzz/valgrind_$net"
done

mkdir -p "$work/cli"
cp "$data"/*.s "$work/cli/"
printf '\x20\x00\xbf\xec\x10\x00\x00\x00' > "$work/cli/damaged.bin"
ln -s /dev/full "$work/cli/full.bin"
run "ecforge asm" "$work/cli" 0 "$ecforge" asm program.s -o program.bin
run "ecforge asm --optimize to C" "$work/cli" 0 "$ecforge" asm --optimize program.s -o program.c
run "ecforge disasm" "$work/cli" 0 "$ecforge" disasm program.bin -o back.s
run "ecforge dump" "$work/cli" 0 "$ecforge" dump program.bin
run "ecforge convert .bin to .c" "$work/cli" 0 "$ecforge" convert program.bin -o again.c
run "ecforge convert .s to .bin" "$work/cli" 0 "$ecforge" convert plain.s -o plain.bin
run "ecforge asm, bad operand" "$work/cli" 1 "$ecforge" asm bad_operand.s -o bad.bin
run "ecforge asm, bad mnemonic" "$work/cli" 1 "$ecforge" asm bad_mnemonic.s -o bad.bin
run "ecforge disasm, damaged file" "$work/cli" 1 "$ecforge" disasm damaged.bin
run "ecforge asm, full device" "$work/cli" 1 "$ecforge" asm program.s -o full.bin

echo
printf '%s\n' "${summary[@]}"
exit $status
