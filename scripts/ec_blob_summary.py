#!/usr/bin/env python3
"""Prints where a network's blob header and listings are, with per-blob instruction, word and relocation counts."""

import argparse
import os
import pathlib
import re
import sys

PROGRAM_MAGIC = 0xCA057A7A
ARRAY_START = re.compile(r"^static const uint64_t (\w+) \[\] =$")
RELOC_DEFINE = re.compile(r"^#define (\w+)_RELOC_IDX (\d+) ")
INFERENCE_RELOC = re.compile(r"ec_reloc\((\w+)_reloc_table_ptr, \(ECInstr \*\)\w+, (\w+)_RELOC_IDX")


class SummaryError(Exception):
    pass


def read_arrays(header_text):
    """Returns {array name: [64-bit elements]} of the header's constant arrays."""
    arrays = {}
    name = None
    for line in header_text.splitlines():
        match = ARRAY_START.match(line)
        if match:
            name = match.group(1)
            arrays[name] = []
        elif name is not None:
            if line.startswith("};"):
                name = None
            else:
                arrays[name] += [int(value, 16) for value in re.findall(r"0x([0-9a-f]+)UL", line)]
    return arrays


def program_words(elements):
    """Number of program words of an EC image: the word after the program-section magic."""
    words = []
    for element in elements:
        words += [element & 0xFFFFFFFF, element >> 32]
    for index, word in enumerate(words[:-1]):
        if word == PROGRAM_MAGIC:
            return words[index + 1]
    raise SummaryError("EC image without a program section")


def relocations(header_text, blobs):
    """Returns {blob: [(symbol, kind)]} from the defines and the two init functions."""
    symbols = {blob: [] for blob in blobs}
    inference_part = header_text.split("bool LL_ZUNO_EC_Inference_Init_", 1)
    per_inference = set()
    if len(inference_part) == 2:
        for blob, define in INFERENCE_RELOC.findall(inference_part[1]):
            per_inference.add(define)
    for line in header_text.splitlines():
        match = RELOC_DEFINE.match(line)
        if not match:
            continue
        define = match.group(1)
        blob = next((b for b in sorted(blobs, key=len, reverse=True) if define.startswith(b + "_")), None)
        if blob is None:
            raise SummaryError(f"relocation define {define} of no known blob")
        kind = "per inference" if define in per_inference else "network init"
        symbols[blob].append((define[len(blob) + 1:], kind))
    return symbols


def count_listing(path):
    """Instructions (lines that are not comments) and labels of an EC assembly listing."""
    instructions = labels = 0
    for line in path.read_text().splitlines():
        text = line.strip()
        if not text or text.startswith(";"):
            continue
        instructions += 1
        if text.startswith("label "):
            labels += 1
    return instructions, labels


def display(path):
    try:
        return os.path.relpath(path)
    except ValueError:
        return str(path)


def summarise(work_dir, network):
    header = work_dir / f"{network}_ecblobs.h"
    if not header.is_file():
        raise SummaryError(f"no header {header}: run the trace program of {network} first")
    text = header.read_text()
    arrays = read_arrays(text)
    blobs = [name[:-len("_reloc")] if name.endswith("_reloc") else name for name in arrays]
    relocs = relocations(text, blobs)
    rows = []
    for blob, elements in zip(blobs, arrays.values()):
        recorded, epochs = count_listing(work_dir / f"debug_{blob}_initial.s")
        optimised, _ = count_listing(work_dir / f"debug_{blob}.s")
        symbols = ", ".join(f"{symbol} ({kind})" for symbol, kind in relocs[blob]) or "none"
        rows.append((blob, str(epochs), str(recorded), str(optimised), str(program_words(elements)), symbols))

    lines = [f"{network}: {len(blobs)} blobs recorded",
             f"  header    {display(header)}",
             f"  listings  {display(work_dir)}/debug_<blob>_initial.s (as recorded) and "
             f"debug_<blob>.s (optimised), {2 * len(blobs)} files",
             ""]
    titles = ("blob", "epochs", "recorded", "optimised", "words", "relocations")
    totals = ("total", *(str(sum(int(row[i]) for row in rows)) for i in range(1, 5)),
              f"{sum(1 for row in rows if row[5] != 'none')} relocatable blobs")
    widths = [max(len(row[i]) for row in [titles, *rows, totals]) for i in range(5)]

    def format_row(row):
        cells = [row[0].ljust(widths[0])] + [row[i].rjust(widths[i]) for i in range(1, 5)] + [row[5]]
        return "  " + "  ".join(cells)

    lines += [format_row(titles), *(format_row(row) for row in rows), format_row(totals), "",
              "  recorded: instructions recorded (labels, writes, field writes, polls, IRQ);",
              "  optimised: instructions after burst folding; words: 32-bit EC program words."]
    return "\n".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("work_dir", type=pathlib.Path, help="directory the trace program ran in")
    parser.add_argument("network", help="network name")
    args = parser.parse_args(argv)
    try:
        print(summarise(args.work_dir, args.network))
    except (SummaryError, OSError) as error:
        print(f"ec_blob_summary.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
