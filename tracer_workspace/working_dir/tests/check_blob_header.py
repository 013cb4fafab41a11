#!/usr/bin/env python3
"""Checks the shape of a recorded blob header: its arrays, its relocation kinds and its init functions."""

import argparse
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "scripts"))

from ec_blob_summary import read_arrays, relocations  # noqa: E402


def function_body(text, name):
    """Lines between the opening and the closing brace of a generated function."""
    lines = text.splitlines()
    start = lines.index(f"bool {name}(void)")
    if lines[start + 1] != "{":
        raise AssertionError(f"{name}: no opening brace")
    end = lines.index("}", start + 2)
    return lines[start + 2:end]


def blob_kinds(text):
    """{blob: kind} with kind one of none, network, inference, both."""
    arrays = read_arrays(text)
    blobs = [name[:-len("_reloc")] if name.endswith("_reloc") else name for name in arrays]
    kinds = {}
    for blob, symbols in relocations(text, blobs).items():
        found = {kind for _, kind in symbols}
        kinds[blob] = ("none" if not found else "both" if len(found) == 2
                       else "inference" if "per inference" in found else "network")
    return kinds


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("work_dir", type=pathlib.Path)
    parser.add_argument("network")
    parser.add_argument("--kinds", required=True,
                        help="expected blobs in order with their relocation kinds, e.g. 1=none,3=both")
    args = parser.parse_args(argv)
    text = (args.work_dir / f"{args.network}_ecblobs.h").read_text()
    expected = {f"_ec_blob_{item.split('=')[0]}": item.split("=")[1] for item in args.kinds.split(",")}
    problems = []

    kinds = blob_kinds(text)
    if list(kinds) != list(expected):
        problems.append(f"blobs {list(kinds)}, expected {list(expected)}")
    for blob, kind in expected.items():
        if kinds.get(blob) != kind:
            problems.append(f"{blob}: relocations {kinds.get(blob)}, expected {kind}")

    constant = re.findall(r"^static const uint64_t (\w+) \[\] =$", text, re.M)
    runtime = re.findall(r"^static uint64_t (\w+)\[\d+\];$", text, re.M)
    relocatable = [blob for blob, kind in expected.items() if kind != "none"]
    expected_constant = [blob + "_reloc" if blob in relocatable else blob for blob in expected]
    if constant != expected_constant:
        problems.append(f"constant arrays {constant}, expected {expected_constant}")
    if runtime != relocatable:
        problems.append(f"runtime arrays {runtime}, expected {relocatable}")

    for function in ("LL_ZUNO_EC_Network_Init_", "LL_ZUNO_EC_Inference_Init_"):
        body = function_body(text, function + args.network)
        if body[-2:] != ["", "  return true;"]:
            problems.append(f"{function}{args.network} does not end with an empty line and the return")
        if not relocatable and body != ["", "", "  return true;"]:
            problems.append(f"{function}{args.network} body is {body}, expected two empty lines and the return")

    listings = sorted(path.name for path in args.work_dir.glob("debug_*.s"))
    expected_listings = sorted(f"debug_{blob}{suffix}.s" for blob in expected for suffix in ("", "_initial"))
    if listings != expected_listings:
        problems.append(f"listings {listings}, expected {expected_listings}")

    for problem in problems:
        print(f"{args.network}: {problem}")
    if not problems:
        print(f"{args.network}: {len(constant)} constant arrays, {len(runtime)} relocatable blobs, "
              f"{len(listings)} listings as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
