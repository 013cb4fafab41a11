"""Network model of a trace source: memory pools, buffers, the parameter pool and the epochs' driver calls."""

from dataclasses import dataclass, field
from typing import List, Optional, Tuple

# Unit kinds as the driver's LL_ZUNO_UnitKind names them, with their instance counts.
UNIT_COUNTS = {"STRENG": 10, "CONVACC": 4, "DECUN": 2, "ACTIV": 2, "ARITH": 4, "POOL": 2}
STREAM_ENGINES = UNIT_COUNTS["STRENG"]


class NetworkError(Exception):
    """A network description that cannot become a valid trace source."""


@dataclass(frozen=True)
class Pool:
    """One row of the memory-pool table."""
    name: str
    base_addr: int
    size: int
    is_absolute: int = 1
    is_per_inference: int = 0


@dataclass(frozen=True)
class Buffer:
    """A byte range inside a memory pool."""
    pool: Pool
    offset: int
    size: int

    @property
    def end(self) -> int:
        return self.offset + self.size


class PoolAllocator:
    """Places buffers one after another in each pool, aligned, and refuses what does not fit."""

    def __init__(self, pools: List[Pool], alignment: int = 64):
        self.pools = {pool.name: pool for pool in pools}
        self.next_offset = {pool.name: 0 for pool in pools}
        self.alignment = alignment

    def alloc(self, pool_name: str, size: int) -> Buffer:
        if pool_name not in self.pools:
            raise NetworkError(f"no memory pool named {pool_name}")
        if size <= 0:
            raise NetworkError(f"buffer of {size} bytes in {pool_name}")
        pool = self.pools[pool_name]
        offset = self.next_offset[pool_name]
        if offset + size > pool.size:
            raise NetworkError(f"{pool_name} is full: {size} bytes at {offset} exceed its {pool.size} bytes")
        self.next_offset[pool_name] = (offset + size + self.alignment - 1) // self.alignment * self.alignment
        return Buffer(pool, offset, size)

    def reset(self, pool_name: str) -> None:
        """Starts placing again from the pool's base (its earlier buffers are dead)."""
        self.next_offset[pool_name] = 0


class ParamPool:
    """The constant parameter pool: packed coefficient vectors and other constant tables, in 32-bit words.
    A pool without a declared size takes the size of its contents when it is finished."""

    def __init__(self, size: Optional[int]):
        if size is not None and size % 4:
            raise NetworkError(f"parameter pool of {size} bytes is not a whole number of 32-bit words")
        self.size = size
        self.words: List[int] = []

    def used_bytes(self) -> int:
        return 4 * len(self.words)

    def add_vector(self, values: List[int], bits: int) -> Tuple[int, int]:
        """Packs values of `bits` bits each from a word boundary, lowest bit first; returns (word index, bits)."""
        if not 1 <= bits <= 32:
            raise NetworkError(f"vector element of {bits} bits")
        start = len(self.words)
        stream = [0] * ((bits * len(values) + 31) // 32)
        mask = (1 << bits) - 1
        for index, value in enumerate(values):
            if not -(1 << (bits - 1)) <= value < (1 << bits):
                raise NetworkError(f"value {value} does not fit {bits} bits")
            position = index * bits
            field_value = (value & mask) << (position % 32)
            word = position // 32
            stream[word] |= field_value & 0xFFFFFFFF
            if field_value >> 32:
                stream[word + 1] |= field_value >> 32
        self.words.extend(stream)
        self._check_size()
        return start, bits

    def add_bytes(self, data: bytes) -> int:
        """Adds a byte table from a word boundary (little-endian words); returns its word index."""
        padded = data + bytes(-len(data) % 4)
        start = len(self.words)
        self.words.extend(int.from_bytes(padded[i:i + 4], "little") for i in range(0, len(padded), 4))
        self._check_size()
        return start

    def finish(self) -> None:
        """Zero words up to the declared size, or fixes the size to the contents."""
        if self.size is None:
            self.size = max(4, self.used_bytes())
        self.words.extend([0] * (self.size // 4 - len(self.words)))

    def _check_size(self) -> None:
        if self.size is not None and self.used_bytes() > self.size:
            raise NetworkError(f"parameter pool overflow: {self.used_bytes()} bytes needed, {self.size} declared")


@dataclass(frozen=True)
class Port:
    """A unit port on the stream switch."""
    kind: str
    instance: int
    port: int = 0


@dataclass
class Route:
    """One destination register of the switch: dest takes its stream from source (context 0)."""
    source: Port
    dest: Port


@dataclass
class Tensor:
    """A stream-engine record: one tensor between a buffer and the switch."""
    node: str
    direction: str  # "in" (memory is read) or "out" (memory is written)
    index: int      # k-th input or output tensor of the node
    engine: int
    buffer: Buffer
    start: int      # first byte, from the pool base
    width: int = 0
    height: int = 0
    depth: int = 0
    depth_offset: int = 0
    raw_bytes: int = 0  # non-zero: a flat run of bytes (RAW transfer)
    bits_in: int = 8
    bits_out: int = 8

    def record_name(self, epoch: int) -> str:
        return f"{self.node}_dma_init_{self.direction}_{self.index}_{epoch}"


@dataclass
class UnitInit:
    """One processing-unit initialiser call with its record fields (C initialiser texts)."""
    kind: str       # CONVACC, ARITH, ACTIV, POOL or DECUN
    instance: int
    node: str
    fields: List[Tuple[str, str]]
    tables: List[Tuple[str, str, List[int]]] = field(default_factory=list)  # (C type, name suffix, values)

    def record_name(self, epoch: int) -> str:
        return f"{self.node}_init{epoch}"


@dataclass
class Epoch:
    number: int
    summary: str = ""
    units: List[UnitInit] = field(default_factory=list)
    tensors: List[Tensor] = field(default_factory=list)
    routes: List[Route] = field(default_factory=list)

    @property
    def has_hardware_work(self) -> bool:
        return bool(self.units or self.tensors)

    def output_engines(self) -> List[int]:
        return sorted(t.engine for t in self.tensors if t.direction == "out")

    def wait_mask(self) -> int:
        """Bit i for each engine that writes memory; input engines are not waited for."""
        mask = 0
        for engine in self.output_engines():
            mask |= 1 << engine
        return mask

    def unit_list(self) -> List[Tuple[str, int]]:
        """Processing units in layer order, then the writing engines, then the reading ones: every
        consumer is enabled before its producer starts streaming."""
        entries = [(unit.kind, unit.instance) for unit in self.units]
        entries += [("STRENG", t.engine) for t in self.tensors if t.direction == "out"]
        entries += [("STRENG", t.engine) for t in self.tensors if t.direction == "in"]
        return entries


@dataclass
class Blob:
    epochs: List[Epoch]

    @property
    def first(self) -> int:
        return self.epochs[0].number

    @property
    def name(self) -> str:
        return f"_ec_blob_{self.first}"


@dataclass
class Network:
    name: str
    description: str
    pools: List[Pool]
    params: ParamPool
    blobs: List[Blob]
    total_epochs: int

    def validate(self) -> None:
        """Checks what the driver and the recorder rely on, so that a bad description fails here."""
        seen = set()
        previous = 0
        for blob in self.blobs:
            numbers = [epoch.number for epoch in blob.epochs]
            if numbers != list(range(numbers[0], numbers[0] + len(numbers))):
                raise NetworkError(f"{blob.name}: epochs {numbers} are not a contiguous run")
            if numbers[0] <= previous:
                raise NetworkError(f"{blob.name}: blobs are not in ascending epoch order")
            previous = numbers[-1]
            for epoch in blob.epochs:
                if not 1 <= epoch.number <= self.total_epochs:
                    raise NetworkError(f"epoch {epoch.number} outside 1..{self.total_epochs}")
                seen.add(epoch.number)
                _validate_epoch(epoch)
        names = [pool.name for pool in self.pools]
        if len(set(names)) != len(names):
            raise NetworkError("two memory pools share a name")
        if self.params.used_bytes() != self.params.size:
            raise NetworkError("parameter pool not filled to its declared size")


def _validate_epoch(epoch: Epoch) -> None:
    engines = [t.engine for t in epoch.tensors]
    if len(set(engines)) != len(engines):
        raise NetworkError(f"epoch {epoch.number}: a stream engine is used twice")
    for engine in engines:
        if not 0 <= engine < STREAM_ENGINES:
            raise NetworkError(f"epoch {epoch.number}: no stream engine {engine}")
    units = [(u.kind, u.instance) for u in epoch.units]
    if len(set(units)) != len(units):
        raise NetworkError(f"epoch {epoch.number}: a processing unit is configured twice")
    for kind, instance in units:
        if not 0 <= instance < UNIT_COUNTS[kind]:
            raise NetworkError(f"epoch {epoch.number}: no {kind} {instance}")
    dests = [(r.dest.kind, r.dest.instance, r.dest.port) for r in epoch.routes]
    if len(set(dests)) != len(dests):
        raise NetworkError(f"epoch {epoch.number}: two routes into one destination port")
    for tensor in epoch.tensors:
        length = tensor.raw_bytes if tensor.raw_bytes else _strided_extent(tensor)
        if tensor.start < tensor.buffer.offset or tensor.start + length > tensor.buffer.end:
            raise NetworkError(f"epoch {epoch.number}: {tensor.record_name(epoch.number)} leaves its buffer")
    if epoch.has_hardware_work and not any(t.direction == "out" for t in epoch.tensors):
        raise NetworkError(f"epoch {epoch.number}: hardware work without an output tensor")


def _strided_extent(tensor: Tensor) -> int:
    """Bytes from the tensor's start to one past its last element."""
    pixels = tensor.width * tensor.height
    return (pixels - 1) * tensor.depth_offset + tensor.depth * ((max(tensor.bits_in, tensor.bits_out) + 7) // 8)
