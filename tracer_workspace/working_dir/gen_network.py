#!/usr/bin/env python3
"""Writes the trace source <net>.c and the memory-pool table <net>_mem_pools.c of an example network."""

import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from netgen.emit_c import render_pool_table, render_trace_source  # noqa: E402
from netgen.model import NetworkError  # noqa: E402
from netgen.networks import SyntheticParams, face_detection, keyword_spotting, synthetic  # noqa: E402

FIXED_NETWORKS = {"face_detection": face_detection, "keyword_spotting": keyword_spotting}


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--network", required=True, choices=[*FIXED_NETWORKS, "synthetic"])
    parser.add_argument("--output-dir", required=True, type=pathlib.Path,
                        help="directory that receives <net>.c and <net>_mem_pools.c")
    synthetic_group = parser.add_argument_group("synthetic network")
    defaults = SyntheticParams()
    synthetic_group.add_argument("--name", default=defaults.name, help="network name")
    synthetic_group.add_argument("--blobs", type=int, default=defaults.blobs)
    synthetic_group.add_argument("--epochs-per-blob", type=int, default=defaults.epochs_per_blob)
    synthetic_group.add_argument("--channels", type=int, default=defaults.channels,
                                 help="coefficients per arithmetic vector")
    synthetic_group.add_argument("--size", type=int, default=defaults.size, help="feature map width and height")
    synthetic_group.add_argument("--absolute-only", action="store_true",
                                 help="place every buffer in absolute pools (no relocatable blob)")
    synthetic_group.add_argument("--seed", type=int, default=defaults.seed)
    return parser.parse_args(argv)


def build(args):
    """Returns the network and the command line that reproduces it (written into the files)."""
    if args.network in FIXED_NETWORKS:
        return FIXED_NETWORKS[args.network](), f"gen_network.py --network {args.network}"
    params = SyntheticParams(args.name, args.blobs, args.epochs_per_blob, args.channels, args.size,
                             not args.absolute_only, args.seed)
    command = (f"gen_network.py --network synthetic --name {params.name} --blobs {params.blobs} "
               f"--epochs-per-blob {params.epochs_per_blob} --channels {params.channels} "
               f"--size {params.size} --seed {params.seed}" + (" --absolute-only" if args.absolute_only else ""))
    return synthetic(params), command


def write_if_changed(path: pathlib.Path, text: str) -> None:
    """Leaves an identical file untouched so that builds depending on it stay up to date."""
    if path.exists() and path.read_text() == text:
        return
    path.write_text(text)


def main(argv) -> int:
    args = parse_arguments(argv)
    try:
        network, command = build(args)
    except NetworkError as error:
        print(f"gen_network.py: {error}", file=sys.stderr)
        return 1
    args.output_dir.mkdir(parents=True, exist_ok=True)
    write_if_changed(args.output_dir / f"{network.name}.c", render_trace_source(network, command))
    write_if_changed(args.output_dir / f"{network.name}_mem_pools.c", render_pool_table(network, command))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
