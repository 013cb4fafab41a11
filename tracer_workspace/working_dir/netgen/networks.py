"""The example networks: the face detector, the keyword spotter and the parameterised synthetic network."""

from dataclasses import dataclass
from typing import Dict, List, Sequence

from .layers import Builder, Feature
from .model import Blob, Epoch, Network, NetworkError, Pool

KIB = 1024
MIB = 1024 * KIB


def make_blobs(epochs: Dict[int, Epoch], spans: Sequence[range]) -> List[Blob]:
    """One blob per span of epoch numbers; an epoch without a built Epoch has no hardware work."""
    return [Blob([epochs.get(number) or Epoch(number) for number in span]) for span in spans]


def collect(*groups) -> Dict[int, Epoch]:
    result: Dict[int, Epoch] = {}
    for group in groups:
        for epoch in (group if isinstance(group, list) else [group]):
            if epoch.number in result:
                raise NetworkError(f"epoch {epoch.number} built twice")
            result[epoch.number] = epoch
    return result


# ---- face_detection ------------------------------------------------------------------------------

FACE_POOLS = [
    Pool("AXISRAM6", 0x34350000, 448 * KIB),
    Pool("AXISRAM5", 0x342E0000, 448 * KIB),
    Pool("AXISRAM4", 0x34270000, 448 * KIB),
    Pool("AXISRAM3", 0x34200000, 448 * KIB),
    Pool("AXISRAM2", 0x34100000, 1 * MIB),
    Pool("AXISRAM1", 0x34080000, 512 * KIB),
    Pool("AXIFLEXMEM", 0x34000000, 512 * KIB),
    Pool("xSPI1", 0x90000000, 32 * MIB),
    Pool("xSPI2", 0x71000000, 64 * MIB),
    # One pool over five memories; it starts where AXISRAM2 starts.
    Pool("AXISRAM2_AXISRAM3_AXISRAM4_AXISRAM5_AXISRAM6", 0x34100000, 1 * MIB + 4 * 448 * KIB),
]
FACE_SPAN_POOL = "AXISRAM2_AXISRAM3_AXISRAM4_AXISRAM5_AXISRAM6"
FACE_PARAM_POOL_BYTES = 41432
# Anchors per cell of each detection grid.
FACE_GRIDS = [(32, 2), (16, 2), (8, 6), (4, 6)]


def face_priors(builder: Builder) -> None:
    """Box priors of the detection grids (centre x, centre y, width, height in 1/4096 of the image),
    read by the box decoding on the CPU."""
    values = []
    for grid, anchors in FACE_GRIDS:
        for y in range(grid):
            for x in range(grid):
                for anchor in range(anchors):
                    size = (4096 // grid) * (anchor + 2) // 2
                    values += [(2 * x + 1) * 2048 // grid, (2 * y + 1) * 2048 // grid, size, size]
    builder.params.add_vector(values, 16)


def face_detection() -> Network:
    """A small face detector on a 128x128 RGB frame: a backbone of 3x3 convolutions with strides
    (per-channel scale and bias, ReLU) down to 8x8, and class and box heads at four scales."""
    b = Builder(FACE_POOLS, FACE_PARAM_POOL_BYTES, seed=0xFACE)
    activation_pools = ["AXISRAM1", "AXISRAM3", "AXISRAM4", "AXISRAM5", "AXISRAM6", "AXIFLEXMEM"]
    rotation = iter(activation_pools * 8)

    def next_map(size: int, channels: int, pool: str = "") -> Feature:
        return b.feature(pool or next(rotation), size, size, channels)

    frame = b.feature("xSPI1", 128, 128, 3)
    head32 = b.feature("AXIFLEXMEM", 32, 32, 32)
    # Stream engines picked by the allocation for the first layer and for the branch to the 32x32 head.
    engine_plan = {4: [4, 5, 6], 13: [2, 3, 1, 8]}

    backbone = []
    epoch = 4

    def layer(src: Feature, dst: Feature, stride: int, group: int, extra=()) -> Feature:
        nonlocal epoch
        epochs = b.conv_layer(epoch, src, dst, "xSPI2", stride, group, extra_outputs=extra,
                              engine_plan=engine_plan)
        backbone.extend(epochs)
        epoch += len(epochs)
        return dst

    x = layer(frame, next_map(64, 16, FACE_SPAN_POOL), 2, 16)        # epoch 4
    x = layer(x, next_map(64, 16, FACE_SPAN_POOL), 1, 16)            # 5
    x = layer(x, next_map(64, 24, FACE_SPAN_POOL), 1, 24)            # 6
    x = layer(x, next_map(32, 32), 2, 32)                            # 7
    for _ in range(5):                                               # 8 to 12
        x = layer(x, next_map(32, 32), 1, 32)
    x = layer(x, next_map(32, 32), 1, 32, extra=[head32])            # 13: also kept for the 32x32 head
    x = layer(x, next_map(16, 64), 2, 32)                            # 14, 15
    for _ in range(8):                                               # 16 to 31
        x = layer(x, next_map(16, 64), 1, 32)
    feature16 = x
    x = layer(x, next_map(8, 96), 2, 32)                             # 32 to 34
    for _ in range(9):                                               # 35 to 61
        x = layer(x, next_map(8, 96), 1, 32)
    feature8 = x
    if epoch != 62:
        raise NetworkError(f"face_detection backbone ends at epoch {epoch - 1}, not 61")

    scores = b.feature("AXIFLEXMEM", 1, 1, sum(g * g * a for g, a in FACE_GRIDS))
    boxes32 = b.feature("AXISRAM1", 32, 32, 8)

    def head(number: int, src: Feature, channels: int, dst_pool: str) -> List[Epoch]:
        dst = b.feature(dst_pool, src.width, src.height, channels)
        epochs = b.conv_layer(number, src, dst, "xSPI2", 1, channels, relu=False)
        return epochs

    def gather(number: int, op: str, src: Feature, at: int, dst: Feature) -> Epoch:
        return b.move_epoch(number, op, src.buffer, dst.buffer, src.buffer.size, dst_start=at)

    cls32 = head(64, head32, 2, "AXISRAM3")
    box32 = b.conv_layer(65, head32, boxes32, "xSPI2", 1, 8, relu=False)
    cls16 = head(69, feature16, 2, "AXISRAM3")
    box16 = head(70, feature16, 8, "AXISRAM4")
    extra4 = b.feature("AXISRAM5", 4, 4, 64)
    conv4 = b.conv_layer(74, feature8, extra4, "xSPI2", 2, 64)
    cls8 = head(75, feature8, 6, "AXISRAM3")
    box8 = head(76, feature8, 24, "AXISRAM4")
    cls4 = head(77, extra4, 6, "AXISRAM3")
    box4 = head(78, extra4, 24, "AXISRAM4")
    boxes = b.feature("AXIFLEXMEM", 1, 1, 4 * sum(g * g * a for g, a in FACE_GRIDS))

    def map_of(epochs: List[Epoch]) -> Feature:
        tensor = [t for t in epochs[-1].tensors if t.direction == "out"][0]
        return Feature(tensor.buffer, tensor.width, tensor.height, tensor.depth_offset)

    offsets = [0, 32 * 32 * 2, 32 * 32 * 2 + 16 * 16 * 2, 32 * 32 * 2 + 16 * 16 * 2 + 8 * 8 * 6]
    moves = [
        gather(66, "Reshape", map_of(cls32), offsets[0], scores),
        gather(71, "Reshape", map_of(cls16), offsets[1], scores),
        gather(80, "Reshape", map_of(cls8), offsets[2], scores),
        gather(83, "Reshape", map_of(cls4), offsets[3], scores),
        gather(84, "Concat", boxes32, 0, boxes),
    ]
    face_priors(b)
    b.params.finish()

    epochs = collect(backbone, cls32, box32, cls16, box16, conv4, cls8, box8, cls4, box4, *moves)
    spans = [range(1, 2), range(3, 62), range(64, 67), range(69, 72), range(74, 79), range(80, 81),
             range(83, 85), range(86, 88)]
    network = Network("face_detection", " ".join(face_detection.__doc__.split()), FACE_POOLS, b.params,
                      make_blobs(epochs, spans), total_epochs=87)
    network.validate()
    return network


# ---- keyword_spotting ----------------------------------------------------------------------------

def keyword_pools() -> List[Pool]:
    return [
        Pool("xSPI2", 0x70000000, 16 * MIB),                                     # weights in flash
        Pool("AXIFLEXMEM", 0x34000000, 512 * KIB),                                # fixed scratch
        Pool("AXISRAM1", 0x34080000, 512 * KIB, is_absolute=0, is_per_inference=0),
        Pool("AXISRAM2", 0x34100000, 1 * MIB, is_absolute=0, is_per_inference=0),
        Pool("in_0", 0x20000000, 64 * KIB, is_absolute=0, is_per_inference=1),    # the application's input
        Pool("out_0", 0x20010000, 4 * KIB, is_absolute=0, is_per_inference=1),    # the application's output
    ]


def keyword_spotting() -> Network:
    """A keyword spotter on 48 frames of 16 spectral coefficients: per-coefficient normalisation,
    four 3x3 convolutions with strides, a 1x1 convolution to 12 class maps and global average pooling."""
    pools = keyword_pools()
    b = Builder(pools, None, seed=0x5EED)
    raw = b.feature("in_0", 16, 48, 1)
    normalised = b.feature("in_0", 16, 48, 1)
    conv1 = b.feature("AXISRAM1", 8, 24, 32)
    conv2 = b.feature("AXISRAM2", 8, 24, 32)
    conv3 = b.feature("AXISRAM1", 4, 12, 64)
    conv4 = b.feature("AXISRAM2", 4, 12, 64)
    class_map = b.feature("AXIFLEXMEM", 4, 12, 12)
    logits = b.feature("AXIFLEXMEM", 1, 1, 12)
    result = b.feature("out_0", 1, 1, 12)

    groups = [
        b.arith_epoch(1, raw, normalised, layout="column"),          # per-inference pools only
        b.conv_layer(3, normalised, conv1, "xSPI2", 2, 32),          # per-inference and network-init
        b.conv_layer(4, conv1, conv2, "xSPI2", 1, 32),
        b.conv_layer(6, conv2, conv3, "xSPI2", 2, 64),               # network-init only
        b.conv_layer(7, conv3, conv4, "xSPI2", 1, 64),
        b.conv_layer(8, conv4, class_map, "xSPI2", 1, 12, relu=False, size=1),
        b.pool_epoch(10, class_map, logits),                          # absolute pools only
        b.move_epoch(12, "Identity", logits.buffer, result.buffer, 12),         # per-inference only
    ]
    b.params.finish()
    spans = [range(1, 2), range(3, 5), range(6, 9), range(10, 11), range(12, 13)]
    network = Network("keyword_spotting", " ".join(keyword_spotting.__doc__.split()), pools, b.params,
                      make_blobs(collect(*groups), spans), total_epochs=12)
    network.validate()
    return network


# ---- synthetic -----------------------------------------------------------------------------------

@dataclass
class SyntheticParams:
    """Shape of a synthetic network that exercises every unit and every kind of memory pool."""
    name: str = "synthetic"
    blobs: int = 4                # number of blobs
    epochs_per_blob: int = 6      # epochs in each blob; the first epoch of each blob has no hardware work
    channels: int = 448           # coefficients per arithmetic vector (over 384 turns address translation off)
    size: int = 16                # feature maps are size x size
    relocatable: bool = True      # feature maps in network-init and per-inference pools, else all absolute
    seed: int = 1


SYNTHETIC_CYCLE = ["conv", "arith", "function", "pool", "decompressed_conv", "move"]


def synthetic(params: SyntheticParams) -> Network:
    """Synthetic network: blobs of convolution chains, arithmetic units with long coefficient vectors,
    function evaluators with their tables, pooling, decompressed kernels and data moves."""
    if params.blobs < 1 or params.epochs_per_blob < 1 or params.channels < 1 or params.size < 4:
        raise NetworkError("synthetic network needs at least one blob, one epoch, one channel and size 4")
    relocatable = params.relocatable
    pools = [
        Pool("FLASH", 0x70000000, 1 << 30),
        Pool("SRAM_ABS", 0x34000000, 256 * MIB),
        Pool("SRAM_NET", 0x24000000, 256 * MIB, is_absolute=0 if relocatable else 1),
        Pool("SRAM_INF", 0x44000000, 256 * MIB, is_absolute=0 if relocatable else 1,
             is_per_inference=1 if relocatable else 0),
    ]
    b = Builder(pools, None, seed=params.seed)
    data_pools = ["SRAM_ABS", "SRAM_NET", "SRAM_INF"]
    n = params.size
    built: List[Epoch] = []
    spans = []
    number = 1
    step = 0
    for blob in range(params.blobs):
        spans.append(range(number, number + params.epochs_per_blob))
        number += 1  # the blob's first epoch has no hardware work
        for _ in range(params.epochs_per_blob - 1):
            kind = SYNTHETIC_CYCLE[step % len(SYNTHETIC_CYCLE)]
            src_pool = data_pools[step % 3]
            dst_pool = data_pools[(step + blob + 1) % 3]
            step += 1
            if kind in ("conv", "decompressed_conv"):
                src = b.feature(src_pool, n, n, 16)
                dst = b.feature(dst_pool, n, n, 32)
                weights = b.weights("FLASH", 32 * 9 * 16)
                built.append(b.conv_epoch(number, src, dst, weights, 0, 32, 1,
                                          decompress=kind == "decompressed_conv"))
            elif kind == "arith":
                src = b.feature(src_pool, 2, 2, params.channels)
                built.append(b.arith_epoch(number, src, b.feature(dst_pool, 2, 2, params.channels)))
            elif kind == "function":
                src = b.feature(src_pool, n, n, 8)
                built.append(b.function_epoch(number, src, b.feature(dst_pool, n, n, 8)))
            elif kind == "pool":
                src = b.feature(src_pool, n, n, 8)
                built.append(b.pool_epoch(number, src, b.feature(dst_pool, n // 2, n // 2, 8), kind="max"))
            else:
                src = b.feature(src_pool, n, n, 4)
                built.append(b.move_epoch(number, "Copy", src.buffer, b.feature(dst_pool, n, n, 4).buffer,
                                          src.buffer.size))
            number += 1
        number += 1  # one epoch between blobs belongs to no blob
    b.params.finish()
    network = Network(params.name, " ".join(synthetic.__doc__.split()), pools, b.params,
                      make_blobs(collect(built), spans), total_epochs=number - 1)
    network.validate()
    return network
