"""Epoch builders: convolution chains, pooling, data moves and synthetic unit mixes, with their records."""

from dataclasses import dataclass
from typing import List, Optional, Sequence

from .model import (Buffer, Epoch, NetworkError, ParamPool, Pool, PoolAllocator, Port, Route, Tensor,
                    UnitInit, UNIT_COUNTS, STREAM_ENGINES)


class Lcg:
    """Deterministic pseudo-random numbers, the same on every host and Python version."""

    def __init__(self, seed: int):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self) -> int:
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) & 0xFFFFFFFFFFFFFFFF
        return self.state >> 33

    def between(self, low: int, high: int) -> int:
        return low + self.next() % (high - low + 1)


@dataclass
class Feature:
    """A feature map in memory: width x height pixels of `channels` 8-bit elements (HWC order)."""
    buffer: Buffer
    width: int
    height: int
    channels: int


class EngineCursor:
    """Hands out stream engines in rotation, so that consecutive epochs use different engines."""

    def __init__(self, start: int = 0):
        self.next_engine = start % STREAM_ENGINES

    def take(self, count: int, avoid: Sequence[int] = ()) -> List[int]:
        engines: List[int] = []
        for _ in range(2 * STREAM_ENGINES):
            if len(engines) == count:
                break
            engine = self.next_engine
            self.next_engine = (self.next_engine + 1) % STREAM_ENGINES
            if engine not in avoid and engine not in engines:
                engines.append(engine)
        if len(engines) != count:
            raise NetworkError(f"{count} stream engines requested, only {len(engines)} available")
        return engines


class Builder:
    """Builds the epochs of one network: owns its pools, its parameter pool and its node numbering."""

    def __init__(self, pools: List[Pool], param_pool_size: Optional[int], seed: int):
        self.allocator = PoolAllocator(pools)
        self.params = ParamPool(param_pool_size)
        self.rng = Lcg(seed)
        self.node_counter = 0
        self.engines = EngineCursor()

    # ---- names and memory ----------------------------------------------------------------------

    def node(self, op: str) -> str:
        self.node_counter += 1
        return f"{op}_{self.node_counter}"

    def feature(self, pool: str, width: int, height: int, channels: int) -> Feature:
        return Feature(self.allocator.alloc(pool, width * height * channels), width, height, channels)

    def layer_nodes(self, relu: bool):
        """Names of a convolution node, its scale-and-bias node and its ReLU node (None without)."""
        conv = self.node("Conv2D")
        scale = f"{conv}_mul_scale_{self.node_counter + 1}"
        self.node_counter += 1
        return conv, scale, self.node("Relu") if relu else None

    def weights(self, pool: str, size: int) -> Buffer:
        return self.allocator.alloc(pool, size)

    def scale_bias(self, count: int, scale_bits: int = 16, bias_bits: int = 16):
        """Per-channel scale (about 0.5 to 1.0 in Q7) and bias vectors, packed into the parameter pool."""
        scales = [self.rng.between(64, 127) for _ in range(count)]
        bias_range = (1 << (bias_bits - 1)) // 16
        biases = [self.rng.between(-bias_range, bias_range) for _ in range(count)]
        scale_at, _ = self.params.add_vector(scales, scale_bits)
        bias_at, _ = self.params.add_vector(biases, bias_bits)
        return scale_at, bias_at

    # ---- stream-engine records -----------------------------------------------------------------

    @staticmethod
    def read_feature(node: str, index: int, engine: int, feature: Feature) -> Tensor:
        return Tensor(node, "in", index, engine, feature.buffer, feature.buffer.offset, feature.width,
                      feature.height, feature.channels, feature.channels)

    @staticmethod
    def write_slice(node: str, index: int, engine: int, feature: Feature, first: int, count: int,
                    width: int, height: int) -> Tensor:
        """Writes channels first..first+count-1 of every pixel of an HWC feature map."""
        return Tensor(node, "out", index, engine, feature.buffer, feature.buffer.offset + first, width,
                      height, count, feature.channels)

    @staticmethod
    def read_raw(node: str, index: int, engine: int, buffer: Buffer, start: int, size: int) -> Tensor:
        return Tensor(node, "in", index, engine, buffer, buffer.offset + start, raw_bytes=size)

    @staticmethod
    def write_raw(node: str, index: int, engine: int, buffer: Buffer, start: int, size: int) -> Tensor:
        return Tensor(node, "out", index, engine, buffer, buffer.offset + start, raw_bytes=size)

    # ---- processing-unit records ---------------------------------------------------------------

    @staticmethod
    def convacc(instance: int, node: str, src: Feature, kernels: int, stride: int, size: int = 3) -> UnitInit:
        """size x size convolution with 'same' padding; stride 2 keeps the first of every two pixels."""
        fields = [
            ("fbytes", "1"), ("round", "1"), ("sat", "1"), ("orndmode", "1"), ("obytes", "2"),
            ("simd", "1"), ("funsigned", "1"), ("inshift", "4"), ("outshift", "4"),
            ("width", str(src.width)), ("height", str(src.height)),
            ("kwidth", str(size)), ("kheight", str(size)), ("knr", str(kernels)),
            ("batch", str(src.channels)), ("hstride", str(stride)), ("vstride", str(stride)),
        ]
        if size == 1:
            pass
        elif stride == 1:
            fields += [("pad_left", "1"), ("pad_right", "1"), ("pad_top", "1"), ("pad_bottom", "1")]
        else:
            fields += [("pad_left", "1"), ("pad_top", "1"),
                       ("crop_right", str(src.width - 1)), ("crop_bottom", str(src.height - 1))]
        return UnitInit("CONVACC", instance, node, fields)

    @staticmethod
    def arith_scale_bias(instance: int, node: str, width: int, height: int, channels: int,
                         scale_at: int, bias_at: int, bits: int = 16) -> UnitInit:
        """Per-channel y = (scale * x >> 7) + bias, rounded and saturated."""
        fields = [
            ("round", "1"), ("sat", "1"), ("shift_res", "7"),
            ("operation", "LL_ARITH_AX_BY_C"), ("coeff_layout", "LL_ARITH_COEFF_PER_CHANNEL"),
            ("width", str(width)), ("height", str(height)),
            ("channels", str(channels)), ("batch", str(channels)),
            ("vec_a", f"&__ec_params_memory_pool_base[{scale_at}]"),
            ("vec_c", f"&__ec_params_memory_pool_base[{bias_at}]"),
            ("vec_a_bits", str(bits)), ("vec_c_bits", str(bits)),
        ]
        return UnitInit("ARITH", instance, node, fields)

    @staticmethod
    def activ_relu(instance: int, node: str) -> UnitInit:
        return UnitInit("ACTIV", instance, node, [("sat", "1"), ("activ_type", "LL_ACTIV_RELU")])

    @staticmethod
    def activ_function(instance: int, node: str, rom0: List[int], rom1: List[int]) -> UnitInit:
        """Function evaluator with its two lookup tables (ROM 1: three 16-bit values per entry)."""
        fields = [
            ("sat", "1"), ("signedop", "1"), ("outshift", "6"), ("param", "0"),
            ("rom0", "{rom0}"), ("rom1", "{rom1}"),
            ("rom0_len", str(len(rom0))), ("rom1_len", str(2 * len(rom1))),
            ("bshift", "4"), ("cshift", "8"), ("func_shift", "3"), ("bwidth", "4"),
            ("activ_type", "LL_ACTIV_FUNCTION"),
        ]
        return UnitInit("ACTIV", instance, node, fields,
                        tables=[("uint8_t", "rom0", rom0), ("uint16_t", "rom1", rom1)])

    @staticmethod
    def pool_global_average(instance: int, node: str, src: Feature) -> UnitInit:
        fields = [
            ("pool_type", "LL_POOL_GAVG"), ("in_width", str(src.width)), ("in_height", str(src.height)),
            ("out_width", "1"), ("out_height", "1"), ("batch", str(src.channels)),
            ("round", "1"), ("sat", "1"), ("mulval", str(max(1, 32768 // (src.width * src.height)))),
        ]
        return UnitInit("POOL", instance, node, fields)

    @staticmethod
    def pool_max(instance: int, node: str, src: Feature) -> UnitInit:
        """2x2 max pooling with stride 2."""
        fields = [
            ("pool_type", "LL_POOL_MAX"), ("in_width", str(src.width)), ("in_height", str(src.height)),
            ("out_width", str(src.width // 2)), ("out_height", str(src.height // 2)),
            ("winx", "2"), ("winy", "2"), ("strdx", "2"), ("strdy", "2"), ("batch", str(src.channels)),
        ]
        return UnitInit("POOL", instance, node, fields)

    @staticmethod
    def decun(instance: int, node: str, codevectors: int, codewords: int, codebook_word: int,
              codebook_bytes: int) -> UnitInit:
        """Kernel decompression with an 8-bit codebook held in the parameter pool."""
        fields = [
            ("nCodevectors", str(codevectors)), ("nCodewords", str(codewords)),
            ("nLastCodewords", str(codewords % 8)), ("nFormatBytes", "1"), ("nBatches", "1"),
            ("codebook", f"(const uint8_t *)&__ec_params_memory_pool_base[{codebook_word}]"),
            ("codebookLen", str(codebook_bytes)),
        ]
        return UnitInit("DECUN", instance, node, fields)

    # ---- whole epochs --------------------------------------------------------------------------

    def conv_epoch(self, number: int, src: Feature, dst: Feature, weights: Buffer, first: int,
                   kernels: int, stride: int, relu: bool = True, extra_outputs: Sequence[Feature] = (),
                   engines: Optional[Sequence[int]] = None, nodes: Optional[Sequence[str]] = None,
                   decompress: bool = False, size: int = 3) -> Epoch:
        """One channel group of a size x size convolution with per-channel scale and bias, optionally ReLU;
        the group is written into dst (and every extra output) at channel `first`.
        Engines: feature, kernels, then one per output, in that order."""
        outputs = [dst, *extra_outputs]
        if engines is None:
            engines = self.engines.take(2 + len(outputs))
        if len(engines) != 2 + len(outputs):
            raise NetworkError(f"epoch {number}: {len(engines)} engines for {len(outputs)} outputs")
        feature_engine, kernel_engine, out_engines = engines[0], engines[1], engines[2:]
        conv, scale_node, relu_node = nodes or self.layer_nodes(relu)
        width, height = src.width // stride, src.height // stride
        conv_unit = number % UNIT_COUNTS["CONVACC"]
        arith_unit = number % UNIT_COUNTS["ARITH"]
        activ_unit = number % UNIT_COUNTS["ACTIV"]

        scale_at, bias_at = self.scale_bias(kernels)
        epoch = Epoch(number, f"{conv}: {size}x{size}/{stride} {src.channels}->{kernels} channels "
                              f"{first}..{first + kernels - 1} on {src.width}x{src.height}"
                              f"{', ReLU' if relu else ''}")
        epoch.units.append(self.convacc(conv_unit, conv, src, kernels, stride, size))
        epoch.units.append(self.arith_scale_bias(arith_unit, scale_node, width, height, kernels,
                                                 scale_at, bias_at))
        last = Port("ARITH", arith_unit)
        if relu:
            epoch.units.append(self.activ_relu(activ_unit, relu_node))
            last = Port("ACTIV", activ_unit)
        kernel_bytes = kernels * size * size * src.channels
        epoch.tensors.append(self.read_feature(conv, 0, feature_engine, src))
        kernel_source = Port("STRENG", kernel_engine)
        if decompress:
            codebook = bytes(self.rng.between(0, 255) for _ in range(256 * 8))
            codebook_at = self.params.add_bytes(codebook)
            decun_unit = number % UNIT_COUNTS["DECUN"]
            epoch.units.insert(0, self.decun(decun_unit, self.node("Decompress"), 256, 8, codebook_at,
                                             len(codebook)))
            epoch.routes.append(Route(Port("STRENG", kernel_engine), Port("DECUN", decun_unit, 0)))
            kernel_source = Port("DECUN", decun_unit)
            kernel_bytes = (kernel_bytes + 7) // 8
        epoch.tensors.append(self.read_raw(conv, 1, kernel_engine, weights, 0, kernel_bytes))
        out_node = relu_node or scale_node
        for index, (engine, feature) in enumerate(zip(out_engines, outputs)):
            epoch.tensors.append(self.write_slice(out_node, index, engine, feature, first, kernels,
                                                  width, height))
        epoch.routes += [
            Route(Port("STRENG", feature_engine), Port("CONVACC", conv_unit, 0)),
            Route(kernel_source, Port("CONVACC", conv_unit, 1)),
            Route(Port("CONVACC", conv_unit), Port("ARITH", arith_unit, 0)),
        ]
        if relu:
            epoch.routes.append(Route(Port("ARITH", arith_unit), Port("ACTIV", activ_unit, 0)))
        epoch.routes += [Route(last, Port("STRENG", engine, 0)) for engine in out_engines]
        return epoch

    def conv_layer(self, first_epoch: int, src: Feature, dst: Feature, weight_pool: str, stride: int,
                   group: int, relu: bool = True, extra_outputs: Sequence[Feature] = (),
                   engine_plan: Optional[dict] = None, size: int = 3) -> List[Epoch]:
        """A whole convolution layer, one epoch per group of at most `group` output channels."""
        engine_plan = engine_plan or {}
        nodes = self.layer_nodes(relu)
        taps = size * size * src.channels
        weights = self.weights(weight_pool, dst.channels * taps)
        epochs = []
        for index, first in enumerate(range(0, dst.channels, group)):
            kernels = min(group, dst.channels - first)
            number = first_epoch + index
            group_weights = Buffer(weights.pool, weights.offset + first * taps, kernels * taps)
            epochs.append(self.conv_epoch(number, src, dst, group_weights, first, kernels, stride, relu,
                                          extra_outputs, engine_plan.get(number), nodes, size=size))
        return epochs

    def move_epoch(self, number: int, op: str, src: Buffer, dst: Buffer, size: int,
                   src_start: int = 0, dst_start: int = 0) -> Epoch:
        """Copies bytes from one buffer to another through two stream engines; no processing unit."""
        node = self.node(op)
        read_engine, write_engine = self.engines.take(2)
        epoch = Epoch(number, f"{node}: copy {size} bytes {src.pool.name} -> {dst.pool.name}")
        epoch.tensors.append(self.read_raw(node, 0, read_engine, src, src_start, size))
        epoch.tensors.append(self.write_raw(node, 0, write_engine, dst, dst_start, size))
        epoch.routes.append(Route(Port("STRENG", read_engine), Port("STRENG", write_engine, 0)))
        return epoch

    def pool_epoch(self, number: int, src: Feature, dst: Feature, kind: str = "gavg") -> Epoch:
        """Pooling of every channel; the pooling unit takes at most 15 elements per pixel (PDIMS.BSIZE)."""
        if not 1 <= src.channels <= 15:
            raise NetworkError(f"epoch {number}: pooling of {src.channels} channels per pixel")
        node = self.node("GlobalAveragePool" if kind == "gavg" else "MaxPool")
        unit = number % UNIT_COUNTS["POOL"]
        read_engine, write_engine = self.engines.take(2)
        record = self.pool_global_average(unit, node, src) if kind == "gavg" else self.pool_max(unit, node, src)
        width, height = (1, 1) if kind == "gavg" else (src.width // 2, src.height // 2)
        epoch = Epoch(number, f"{node}: {src.width}x{src.height}x{src.channels} -> {width}x{height}")
        epoch.units.append(record)
        epoch.tensors.append(self.read_feature(node, 0, read_engine, src))
        epoch.tensors.append(self.write_slice(node, 0, write_engine, dst, 0, src.channels, width, height))
        epoch.routes += [Route(Port("STRENG", read_engine), Port("POOL", unit, 0)),
                         Route(Port("POOL", unit), Port("STRENG", write_engine, 0))]
        return epoch

    def arith_epoch(self, number: int, src: Feature, dst: Feature, layout: str = "channel",
                    coefficients: int = 0) -> Epoch:
        """Scale and bias alone: per channel, per column or per line of the feature map."""
        node = self.node("Mul")
        unit = number % UNIT_COUNTS["ARITH"]
        count = {"channel": src.channels, "column": src.width, "line": src.height}[layout]
        scale_at, bias_at = self.scale_bias(coefficients or count)
        record = self.arith_scale_bias(unit, node, src.width, src.height, src.channels, scale_at, bias_at)
        record.fields = [(name, "LL_ARITH_COEFF_PER_" + {"channel": "CHANNEL", "column": "COLUMN",
                                                           "line": "LINE"}[layout])
                         if name == "coeff_layout" else (name, value) for name, value in record.fields]
        read_engine, write_engine = self.engines.take(2)
        epoch = Epoch(number, f"{node}: scale and bias per {layout} ({count} coefficients) on "
                              f"{src.width}x{src.height}x{src.channels}")
        epoch.units.append(record)
        epoch.tensors.append(self.read_feature(node, 0, read_engine, src))
        epoch.tensors.append(self.write_slice(node, 0, write_engine, dst, 0, src.channels, src.width,
                                              src.height))
        epoch.routes += [Route(Port("STRENG", read_engine), Port("ARITH", unit, 0)),
                         Route(Port("ARITH", unit), Port("STRENG", write_engine, 0))]
        return epoch

    def function_epoch(self, number: int, src: Feature, dst: Feature) -> Epoch:
        """A non-linear activation through the function evaluator and its lookup tables."""
        node = self.node("Sigmoid")
        unit = number % UNIT_COUNTS["ACTIV"]
        rom0 = [self.rng.between(0, 255) for _ in range(256)]
        rom1 = [self.rng.between(0, 0xFFFF) for _ in range(3 * 64)]
        read_engine, write_engine = self.engines.take(2)
        epoch = Epoch(number, f"{node}: function evaluator on {src.width}x{src.height}x{src.channels}")
        epoch.units.append(self.activ_function(unit, node, rom0, rom1))
        epoch.tensors.append(self.read_feature(node, 0, read_engine, src))
        epoch.tensors.append(self.write_slice(node, 0, write_engine, dst, 0, src.channels, src.width,
                                              src.height))
        epoch.routes += [Route(Port("STRENG", read_engine), Port("ACTIV", unit, 0)),
                         Route(Port("ACTIV", unit), Port("STRENG", write_engine, 0))]
        return epoch
