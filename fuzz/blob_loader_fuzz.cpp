// Fuzz target: the device loader on arbitrary images that are as long as their header says, with
// arbitrary buffer sizes, alignments, indices, names and base addresses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "blob_loader.h"
#include "fuzz_support.h"

namespace {

uint32_t Field(uint8_t const* image, std::size_t byte_offset) {
    ECFileEntry value;
    std::memcpy(&value, image + byte_offset, sizeof(value));
    return value;
}

// The loader trusts the image to hold what its header announces (it gets no image size), so
// only such images are fed to it: the header, every section start, and the program section
// with all its words must lie inside the bytes.
bool HoldsWhatHeaderSays(uint8_t const* image, std::size_t size) {
    if (size < 16) {
        return false;
    }
    uint64_t const reloc_offset = Field(image, 4);
    uint64_t const debug_offset = Field(image, 8);
    uint64_t const program_offset = Field(image, 12);
    if (reloc_offset > size || debug_offset > size || program_offset > size) {
        return false;
    }
    if (program_offset == 0) {
        return true;
    }
    if (program_offset + 4 > size) {
        return false;
    }
    if (Field(image, program_offset) != ECFORGE_PROGRAM_MAGIC) {
        return true;
    }
    if (program_offset + 8 > size) {
        return false;
    }
    uint64_t const words = Field(image, program_offset + 4) & 0x3FFFFFFFu;
    return program_offset + 8 + 4 * words <= size;
}

// A buffer of exactly `count` 32-bit words starting `shift` words after an 8-byte boundary, so
// that any access past its end is caught.
class WordBuffer {
public:
    WordBuffer(std::size_t count, unsigned shift)
        : storage(static_cast<ECInstr*>(std::malloc((count + shift) * sizeof(ECInstr) + 1))), words(storage + shift) {
        ZUNO_FUZZ_CHECK(storage != nullptr);
    }
    ~WordBuffer() { std::free(storage); }
    WordBuffer(WordBuffer const&) = delete;
    WordBuffer& operator=(WordBuffer const&) = delete;

private:
    ECInstr* storage;

public:
    ECInstr* const words;
};

void Relocate(ZunoFuzz::ByteSource& in, ECFileEntry const* table, ECInstr* program) {
    unsigned const num_relocs = ec_get_num_relocs(table);
    for (unsigned round = in.Below(6); round > 0; --round) {
        unsigned const idx = in.Bit() ? in.U32() : (num_relocs == 0 ? 0 : in.U8() % (num_relocs + 1));
        ECAddr prev_base = in.U32();
        ECAddr const base = in.U32();
        char const* id = ec_get_reloc_id(table, idx);
        if (in.Bit()) {
            (void)ec_reloc(table, program, idx, base, &prev_base);
        } else if (id != nullptr) {
            (void)ec_reloc_by_id(table, program, id, base, &prev_base);
        } else {
            char name[4] = {static_cast<char>(in.U8()), static_cast<char>(in.U8()), 0, 0};
            (void)ec_reloc_by_id(table, program, name, base, &prev_base);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    // The loader reports on standard output; the reports are not what is checked here.
    static bool const quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;

    ZunoFuzz::ByteSource in(data, size);
    uint8_t const shape = in.U8();
    uint32_t const program_room = in.U32();
    uint32_t const table_room = in.U32();
    std::string const relocation_choices(reinterpret_cast<char const*>(data) + (size < 9 ? size : 9),
                                         size < 9 ? 0 : (size - 9 < 64 ? size - 9 : 64));
    std::size_t const image_start = 9 + relocation_choices.size();
    if (size <= image_start) {
        return 0;
    }
    // The image sits at any byte address, exactly as long as the rest of the input.
    std::size_t const image_size = size - image_start;
    unsigned const misalign = shape & 3u;
    std::unique_ptr<uint8_t[]> storage(new uint8_t[image_size + misalign]);
    uint8_t* const image = storage.get() + misalign;
    std::memcpy(image, data + image_start, image_size);
    if (!HoldsWhatHeaderSays(image, image_size)) {
        return 0;
    }

    unsigned needed = 0;
    bool const sized = ec_copy_program(image, nullptr, &needed);
    std::unique_ptr<WordBuffer> program;
    if (sized) {
        // The size word counts words in its low 30 bits; the room asked for is the whole word + 2.
        ZUNO_FUZZ_CHECK(needed >= 2 && ((needed - 2) & 0x3FFFFFFFu) <= image_size / 4);
        // Room as needed, one word short, or as the input says; never more than the image could
        // fill, so that a size word with its top bits set is refused for want of room.
        unsigned const most = static_cast<unsigned>(image_size / 4 + 3);
        unsigned room = needed < most ? needed : most;
        if (shape & 4u) {
            room = room - 1;
        } else if (shape & 8u) {
            room = program_room % (room + 1);
        }
        program = std::make_unique<WordBuffer>(room, (shape >> 4) & 1u);
        unsigned given = room;
        bool const copied = ec_copy_program(image, program->words, (shape & 32u) ? nullptr : &given);
        if (copied) {
            ZUNO_FUZZ_CHECK(program->words[0] == ECFORGE_PROGRAM_MAGIC);
            ZUNO_FUZZ_CHECK(program->words[1] + 2u == needed);
            ZUNO_FUZZ_CHECK(std::memcmp(program->words + 2, image + Field(image, 12) + 8, 4 * (needed - 2)) == 0);
        } else {
            program.reset();
        }
    }

    ZunoFuzz::ByteSource choices(reinterpret_cast<uint8_t const*>(relocation_choices.data()),
                                 relocation_choices.size());
    ECFileEntry const* const table = ec_get_reloc_table_ptr(image);
    (void)ec_get_num_relocs(table);
    if (table != nullptr && program != nullptr) {
        Relocate(choices, table, program->words);
    }

    unsigned table_words = 0;
    if (ec_copy_reloc_table(image, nullptr, &table_words)) {
        ZUNO_FUZZ_CHECK(table_words <= image_size / 4);
        unsigned room = (shape & 64u) ? table_room % (table_words + 1) : table_words;
        WordBuffer copy(room, 0);
        unsigned given = room;
        if (ec_copy_reloc_table(image, copy.words, &given) && program != nullptr) {
            Relocate(choices, copy.words, program->words);
        }
    }
    return 0;
}
