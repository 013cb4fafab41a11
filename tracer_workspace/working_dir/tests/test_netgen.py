#!/usr/bin/env python3
"""Tests of the network generator and of the checked-in face_detection trace source and pool table."""

import pathlib
import re
import sys
import unittest

WORKING_DIR = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(WORKING_DIR))

from netgen.layers import Builder, EngineCursor  # noqa: E402
from netgen.model import (Buffer, Epoch, NetworkError, ParamPool, Pool, PoolAllocator, Port,  # noqa: E402
                          Route, Tensor)
from netgen.networks import SyntheticParams, face_detection, keyword_spotting, synthetic  # noqa: E402


def getbits(stream, position, bits):
    """The driver's bit-field read: lowest bit first, may span two words, sign-extended."""
    mask = (1 << bits) - 1
    word, shift = divmod(position, 32)
    value = stream[word] >> shift
    if shift + bits > 32:
        value |= stream[word + 1] << (32 - shift)
    value &= mask
    return value - (1 << bits) if value >> (bits - 1) else value


class TraceSource:
    """The blob functions of a generated trace source, split into epochs."""

    def __init__(self, text):
        self.text = text
        self.main_calls = re.findall(r"^  (trace_ec__ec_blob_\d+)\(\);$", text, re.M)
        self.blobs = {}
        for name, body in re.findall(r"^static void (trace_ec__ec_blob_\d+)\(void\)\n\{\n(.*?)^\}$", text,
                                     re.M | re.S):
            epochs = {}
            for number, chunk in re.findall(r"ec_trace_start_epoch\((\d+)\);\n(.*?)ec_trace_end_epoch\(\1\);",
                                            body, re.S):
                epochs[int(number)] = chunk
            self.blobs[name] = epochs
        self.records = re.findall(r"static const (\w+) (\w+)(?:\[\d*\])? = \{", text)


FACE_BLOBS = {
    1: (range(1, 2), []),
    3: (range(3, 62), list(range(4, 62))),
    64: (range(64, 67), list(range(64, 67))),
    69: (range(69, 72), list(range(69, 72))),
    74: (range(74, 79), list(range(74, 79))),
    80: (range(80, 81), [80]),
    83: (range(83, 85), [83, 84]),
    86: (range(86, 88), []),
}

FACE_POOLS = [
    ("AXISRAM6", 0x34350000), ("AXISRAM5", 0x342E0000), ("AXISRAM4", 0x34270000), ("AXISRAM3", 0x34200000),
    ("AXISRAM2", 0x34100000), ("AXISRAM1", 0x34080000), ("AXIFLEXMEM", 0x34000000), ("xSPI1", 0x90000000),
    ("xSPI2", 0x71000000), ("AXISRAM2_AXISRAM3_AXISRAM4_AXISRAM5_AXISRAM6", 0x34100000),
]


class FaceDetectionSource(unittest.TestCase):
    """The checked-in trace source is what builds: its facts are checked on the C text."""

    @classmethod
    def setUpClass(cls):
        cls.source = TraceSource((WORKING_DIR / "face_detection.c").read_text())
        cls.pools = (WORKING_DIR / "face_detection_mem_pools.c").read_text()

    def test_main_records_every_blob_in_epoch_order(self):
        self.assertIn('ec_trace_init("face_detection_ecblobs.h", "face_detection");', self.source.text)
        self.assertEqual(self.source.main_calls, [f"trace_ec__ec_blob_{first}" for first in FACE_BLOBS])
        main = self.source.text[self.source.text.index("int main(void)"):]
        self.assertLess(main.index("trace_ec__ec_blob_86();"), main.index("ec_trace_all_blobs_done();"))
        self.assertLess(main.index("ec_trace_all_blobs_done();"), main.index("return 0;"))

    def test_blobs_their_epochs_and_hardware_work(self):
        for first, (epochs, hardware) in FACE_BLOBS.items():
            with self.subTest(blob=first):
                function = self.source.blobs[f"trace_ec__ec_blob_{first}"]
                self.assertEqual(list(function), list(epochs))
                working = [n for n, chunk in function.items() if "ec_trace_wait_epoch_end" in chunk]
                self.assertEqual(working, hardware)
                for n, chunk in function.items():
                    if n not in hardware:
                        self.assertEqual(chunk.strip(), "")
        body = self.source.text
        for first in FACE_BLOBS:
            self.assertIn(f'ec_trace_start_blob("_ec_blob_{first}");', body)
            self.assertIn(f'ec_trace_end_blob("_ec_blob_{first}");', body)

    def test_epochs_of_no_blob(self):
        covered = {n for epochs, _ in FACE_BLOBS.values() for n in epochs}
        self.assertEqual(sorted(set(range(1, 88)) - covered), [2, 62, 63, 67, 68, 72, 73, 79, 81, 82, 85])

    def test_call_order_and_wait_masks(self):
        order = {"LL_Streng_TensorInit": 1, "LL_Switch_Init": 2, "LL_ZUNO_EnableUnits_Init": 3,
                 "ec_trace_wait_epoch_end": 4, "LL_Switch_Deinit": 5, "LL_ZUNO_DisableUnits_Init": 6}
        for function in self.source.blobs.values():
            for number, chunk in function.items():
                if not chunk.strip():
                    continue
                with self.subTest(epoch=number):
                    calls = re.findall(r"(LL_\w+|ec_trace_wait_epoch_end)\((?!\))", chunk)
                    calls = [name for name in calls if not name.startswith("LL_Switch_Init_")]
                    kinds = [order.get(name, 0) for name in calls]
                    self.assertEqual(kinds, sorted(kinds))
                    for step in range(2, 7):
                        self.assertEqual(kinds.count(step), 1)
                    engines = [int(e) for e in re.findall(r"LL_Streng_TensorInit\((\d+), &\w+_dma_init_out_", chunk)]
                    mask = int(re.search(r"ec_trace_wait_epoch_end\((\d+)\)", chunk).group(1))
                    self.assertEqual(mask, sum(1 << e for e in engines))
                    init = re.search(r"LL_Switch_Init\(switch_init_in_(\d+), (\d+)\)", chunk)
                    deinit = re.search(r"LL_Switch_Deinit\(switch_deinit_in_(\d+), (\d+)\)", chunk)
                    self.assertEqual(init.groups(), (str(number), deinit.group(2)))
                    self.assertEqual(deinit.group(1), str(number))
                    enable = re.search(r"EnableUnits_Init\(Enable_epoch_(\d+)_all_units, (\d+)\)", chunk)
                    disable = re.search(r"DisableUnits_Init\(Disable_epoch_(\d+)_all_units, (\d+)\)", chunk)
                    self.assertEqual(enable.groups(), disable.groups())
                    self.assertEqual(enable.group(1), str(number))
        blob3 = self.source.blobs["trace_ec__ec_blob_3"]
        self.assertIn("ec_trace_wait_epoch_end(64);", blob3[4])
        self.assertIn("ec_trace_wait_epoch_end(258);", blob3[13])

    def test_units_used(self):
        called = set(re.findall(r"CHECK_DRIVER\((\w+)\(", self.source.text))
        self.assertEqual(called, {"LL_Convacc_Init", "LL_Arithacc_Init", "LL_Activacc_Init",
                                  "LL_Streng_TensorInit", "LL_Switch_Init", "LL_Switch_Deinit",
                                  "LL_ZUNO_EnableUnits_Init", "LL_ZUNO_DisableUnits_Init"})

    def test_record_names(self):
        patterns = {
            "LL_Convacc_Conf": r"\w+_init\d+", "LL_Arithacc_Conf": r"\w+_init\d+",
            "LL_Activacc_Conf": r"\w+_init\d+",
            "LL_Streng_TensorConf": r"\w+_dma_init_(in|out)_\d+_\d+",
            "LL_Switch_Conf": r"switch_(de)?init_in_\d+",
            "LL_ZUNO_UnitEntry": r"(Enable|Disable)_epoch_\d+_all_units",
        }
        self.assertGreater(len(self.source.records), 400)
        for c_type, name in self.source.records:
            with self.subTest(record=name):
                self.assertRegex(name, "^" + patterns[c_type] + "$")
        for function in self.source.blobs.values():
            for number, chunk in function.items():
                for name in re.findall(r"&(\w+)[,)]", chunk):
                    if name.startswith("__ec_params"):
                        continue
                    self.assertTrue(name.endswith(f"_{number}") or name.endswith(f"_init{number}"), name)

    def test_arithmetic_records_read_the_parameter_pool(self):
        self.assertIn("const uint32_t __ec_params_memory_pool_base[10358] = {", self.source.text)
        self.assertEqual(10358 * 4, 41432)
        arith = re.findall(r"static const LL_Arithacc_Conf \w+ = \{(.*?)\};", self.source.text, re.S)
        self.assertEqual(len(arith), 67)  # every hardware epoch but the five data moves
        for record in arith:
            self.assertIn(".vec_a = &__ec_params_memory_pool_base[", record)
            self.assertIn(".coeff_layout = LL_ARITH_COEFF_PER_CHANNEL", record)

    def test_pool_table(self):
        rows = re.findall(r'\{ "(\w+)", "(\w+)", 0x([0-9A-F]{8})u, (\d), (\d) \},', self.pools)
        self.assertEqual([(name, int(address, 16)) for name, _, address, _, _ in rows], FACE_POOLS)
        for name, symbol, _, absolute, per_inference in rows:
            self.assertEqual(symbol, f"_mem_pool_{name}_face_detection")
            self.assertEqual((absolute, per_inference), ("1", "0"))
        self.assertTrue(self.pools.rstrip().endswith("{ NULL, NULL, 0u, 0, 0 },\n};".rstrip()))


class FaceDetectionGoldenListings(unittest.TestCase):
    """What the recorded listings of face_detection hold for the epochs the network is known by."""

    GOLDEN = pathlib.Path(__file__).resolve().parent / "golden" / "face_detection"

    @staticmethod
    def epoch_lines(listing, number):
        text = listing.read_text()
        return text[text.index(f";; Start Epoch {number}\n"):text.index(f";; End Epoch {number}\n")].splitlines()

    def test_blob_of_one_empty_epoch(self):
        self.assertEqual((self.GOLDEN / "debug__ec_blob_1_initial.s").read_text().splitlines(), [
            ";; Start Blob '_ec_blob_1'", ";; Start Epoch 1", "label 0x1", ";; End Epoch 1", "irq 0x0",
            ";; End Blob '_ec_blob_1'"])

    def test_blob_of_two_empty_epochs(self):
        lines = (self.GOLDEN / "debug__ec_blob_86_initial.s").read_text().splitlines()
        self.assertEqual([line for line in lines if not line.startswith(";;")], ["label 0x56", "label 0x57", "irq 0x0"])

    def test_end_of_epoch_polls_follow_the_wait_masks(self):
        blob3 = self.GOLDEN / "debug__ec_blob_3_initial.s"
        running = re.compile(r"^poll (\d+) 0 \[31\] 0x0 100$")
        polls = {n: [int(m.group(1)) for m in map(running.match, self.epoch_lines(blob3, n)) if m] for n in (4, 13)}
        self.assertEqual(polls, {4: [5 + 6], 13: [5 + 1, 5 + 8]})
        self.assertEqual(self.epoch_lines(blob3, 3), [";; Start Epoch 3", "label 0x3"])


class FaceDetectionModel(unittest.TestCase):
    def test_model_matches_the_facts(self):
        network = face_detection()
        self.assertEqual([blob.name for blob in network.blobs],
                         [f"_ec_blob_{first}" for first in FACE_BLOBS])
        epochs = {epoch.number: epoch for blob in network.blobs for epoch in blob.epochs}
        self.assertEqual(epochs[4].output_engines(), [6])
        self.assertEqual(epochs[13].output_engines(), [1, 8])
        self.assertEqual(network.params.size, 41432)
        used_units = {unit.kind for epoch in epochs.values() for unit in epoch.units}
        self.assertEqual(used_units, {"CONVACC", "ARITH", "ACTIV"})
        self.assertTrue(any(epoch.has_hardware_work and not epoch.units for epoch in epochs.values()))


class KeywordSpottingModel(unittest.TestCase):
    def test_blobs_cover_every_relocation_kind(self):
        network = keyword_spotting()
        pools = {pool.name: pool for pool in network.pools}
        kinds = {}
        for blob in network.blobs:
            used = {pools[t.buffer.pool.name] for epoch in blob.epochs for t in epoch.tensors}
            relocatable = [pool for pool in used if not pool.is_absolute]
            per_inference = {bool(pool.is_per_inference) for pool in relocatable}
            kinds[blob.name] = ("none" if not relocatable else "both" if len(per_inference) == 2
                                else "inference" if True in per_inference else "network")
        self.assertEqual(kinds, {"_ec_blob_1": "inference", "_ec_blob_3": "both", "_ec_blob_6": "network",
                                 "_ec_blob_10": "none", "_ec_blob_12": "inference"})


class Generator(unittest.TestCase):
    def test_vectors_pack_as_the_driver_reads_them(self):
        cases = [([1, -1, 32767, -32768, 5], 16), ([3, -4, 0, 1, 2, -1, 3], 3), ([0x12345678, -2], 32),
                 ([-5] * 11, 7)]
        for values, bits in cases:
            with self.subTest(bits=bits):
                pool = ParamPool(None)
                pool.words = [0xFFFFFFFF]
                start, _ = pool.add_vector(values, bits)
                self.assertEqual(start, 1)
                stream = pool.words[start:] + [0]
                signed = [v - (1 << 32) if bits == 32 and v >= 1 << 31 else v for v in values]
                self.assertEqual([getbits(stream, i * bits, bits) for i in range(len(values))], signed)

    def test_parameter_pool_limits(self):
        pool = ParamPool(8)
        pool.add_vector([1, 2, 3, 4], 16)
        with self.assertRaisesRegex(NetworkError, "parameter pool overflow: 12 bytes needed, 8 declared"):
            pool.add_vector([1], 8)
        with self.assertRaisesRegex(NetworkError, "value 256 does not fit 8 bits"):
            ParamPool(None).add_vector([256], 8)
        with self.assertRaisesRegex(NetworkError, "not a whole number of 32-bit words"):
            ParamPool(6)
        sized = ParamPool(16)
        sized.add_vector([7], 32)
        sized.finish()
        self.assertEqual(sized.words, [7, 0, 0, 0])

    def test_allocator_refuses_what_does_not_fit(self):
        allocator = PoolAllocator([Pool("RAM", 0x1000, 256)], alignment=64)
        self.assertEqual(allocator.alloc("RAM", 10), Buffer(allocator.pools["RAM"], 0, 10))
        self.assertEqual(allocator.alloc("RAM", 100).offset, 64)
        with self.assertRaisesRegex(NetworkError, "RAM is full: 100 bytes at 192 exceed its 256 bytes"):
            allocator.alloc("RAM", 100)
        with self.assertRaisesRegex(NetworkError, "no memory pool named ROM"):
            allocator.alloc("ROM", 1)

    def test_engine_cursor_rotates(self):
        cursor = EngineCursor(8)
        self.assertEqual(cursor.take(3), [8, 9, 0])
        self.assertEqual(cursor.take(2, avoid=[1]), [2, 3])
        with self.assertRaisesRegex(NetworkError, "11 stream engines requested"):
            cursor.take(11)

    def test_validation_rejects_bad_epochs(self):
        builder = Builder([Pool("RAM", 0, 1 << 20)], None, seed=1)
        src = builder.feature("RAM", 8, 8, 4)
        dst = builder.feature("RAM", 8, 8, 4)
        good = builder.move_epoch(1, "Copy", src.buffer, dst.buffer, 256)
        twice = Epoch(2, "", [], good.tensors + [Tensor("x", "in", 1, good.tensors[0].engine, src.buffer, 0,
                                                       raw_bytes=4)], [])
        outside = builder.move_epoch(3, "Copy", src.buffer, dst.buffer, 257)
        no_output = Epoch(4, "", [], good.tensors[:1], [])
        two_routes = builder.move_epoch(5, "Copy", src.buffer, dst.buffer, 16)
        two_routes.routes.append(Route(Port("STRENG", 0), two_routes.routes[0].dest))
        from netgen.model import _validate_epoch
        _validate_epoch(good)
        for epoch, message in [(twice, "a stream engine is used twice"), (outside, "leaves its buffer"),
                               (no_output, "without an output tensor"),
                               (two_routes, "two routes into one destination port")]:
            with self.subTest(message=message):
                with self.assertRaisesRegex(NetworkError, message):
                    _validate_epoch(epoch)

    def test_pooling_refuses_more_channels_than_the_unit_takes(self):
        builder = Builder([Pool("RAM", 0, 1 << 20)], None, seed=1)
        wide = builder.feature("RAM", 4, 4, 16)
        with self.assertRaisesRegex(NetworkError, "epoch 7: pooling of 16 channels per pixel"):
            builder.pool_epoch(7, wide, builder.feature("RAM", 1, 1, 16))

    def test_synthetic_network_uses_every_unit_and_pool_kind(self):
        network = synthetic(SyntheticParams(blobs=2, epochs_per_blob=7, channels=400))
        units = {unit.kind for blob in network.blobs for epoch in blob.epochs for unit in epoch.units}
        self.assertEqual(units, {"CONVACC", "ARITH", "ACTIV", "POOL", "DECUN"})
        self.assertEqual([blob.first for blob in network.blobs], [1, 9])
        self.assertEqual(network.total_epochs, 16)
        arith = [unit for blob in network.blobs for epoch in blob.epochs for unit in epoch.units
                 if unit.kind == "ARITH" and dict(unit.fields)["channels"] == "400"]
        self.assertTrue(arith)
        self.assertEqual({(p.is_absolute, p.is_per_inference) for p in network.pools}, {(1, 0), (0, 0), (0, 1)})
        absolute = synthetic(SyntheticParams(blobs=1, epochs_per_blob=3, relocatable=False))
        self.assertEqual({p.is_absolute for p in absolute.pools}, {1})
        with self.assertRaisesRegex(NetworkError, "at least one blob"):
            synthetic(SyntheticParams(blobs=0))


if __name__ == "__main__":
    unittest.main()
