#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets from the test files and the example networks' outputs.

Usage: make_seeds.py <ecforge executable> <output corpus dir> <input files...>
Inputs are EC assembly files (.s) and blob headers (*_ecblobs.h); images above 8 KiB are skipped so
that the corpora stay small. Seeds are named by the hash of their bytes, so reruns add nothing twice.
"""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile

MAX_SEED = 8192
BINARY_MAGIC = 0xECBF0020


def save(corpus, target, data):
    if len(data) > MAX_SEED:
        return
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def header_images(path):
    """The byte images of the arrays that a blob header defines with initial values."""
    text = open(path, encoding="utf-8").read()
    for body in re.findall(r"uint64_t\s+\w+\s*\[\]\s*=\s*\{([^}]*)\}", text):
        words = [int(v, 16) for v in re.findall(r"0x([0-9a-f]{16})UL", body)]
        yield b"".join(struct.pack("<Q", w) for w in words)


def trimmed(image):
    """An image as the file holds it: the C array pads the last 64-bit word with zeros."""
    if len(image) >= 16 and struct.unpack_from("<I", image)[0] == BINARY_MAGIC:
        program_offset = struct.unpack_from("<I", image, 12)[0]
        if program_offset + 8 <= len(image):
            words = struct.unpack_from("<I", image, program_offset + 4)[0]
            return image[: program_offset + 8 + 4 * words]
    return image


def program_words(image):
    if len(image) >= 16 and struct.unpack_from("<I", image)[0] == BINARY_MAGIC:
        offset = struct.unpack_from("<I", image, 12)[0]
    else:
        offset = 0
    words = struct.unpack_from("<I", image, offset + 4)[0]
    return image[offset + 8 : offset + 8 + 4 * words]


def add_image(corpus, image):
    save(corpus, "binary_file", image)
    # decode: no relocation and no debug entries, then the words.
    save(corpus, "decode", bytes(8) + program_words(image))
    # blob_loader: shape, room sizes, relocation choices, then the image.
    choices = bytes(range(1, 65))
    save(corpus, "blob_loader", bytes(9) + choices + image)
    save(corpus, "blob_loader", bytes([0x04]) + bytes(8) + choices + image)


def main():
    ecforge, corpus = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as tmp:
        for path in sys.argv[3:]:
            if path.endswith(".s"):
                data = open(path, "rb").read()
                save(corpus, "asm_text", data)
                out = os.path.join(tmp, "seed.bin")
                if subprocess.run([ecforge, "asm", path, "-o", out], capture_output=True).returncode == 0:
                    add_image(corpus, open(out, "rb").read())
            elif path.endswith("_ecblobs.h"):
                for image in header_images(path):
                    add_image(corpus, trimmed(image))
    for seed in (b"", b"\x00" * 16, bytes(range(256)), b"\x01\x02\x03\x04" * 40):
        save(corpus, "roundtrip", seed)


if __name__ == "__main__":
    main()
