// The ec_trace_* entry points: each call appends the instructions of one recorded access to the blob's program.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "blob_finishing.h"
#include "blob_header.h"
#include "ecforge.h"
#include "ecscribe.h"
#include "pool_table.h"
#include "recorder_state.h"
#include "recorder_internal.h"
#include "recorder_stop.h"

namespace ecscribe {

EpochController::Program tracer;
std::ofstream os;
std::string NetworkName;
std::vector<blob_info> blobs_info;
std::string HeaderFileName;

void CheckHeaderStream()
{
    if (!os.is_open()) {
        StopOnHeaderError("The blob header is not open: ec_trace_init has not been called");
    }
    if (!os) {
        StopOnHeaderError("Cannot write to file '" + HeaderFileName + "'");
    }
}

namespace {

// Instruction operands are taken modulo the width of the constructor parameters; the constructors
// then refuse what the EC word cannot hold.
uint8_t Byte(uint32_t value)
{
    return static_cast<uint8_t>(value);
}

uint16_t HalfWord(uint32_t value)
{
    return static_cast<uint16_t>(value);
}

void AppendWrite(uint32_t ip_id, uint32_t reg_id, uint32_t value, std::string const& reloc_id)
{
    tracer.AddInstr(EpochController::InstrWrite(Byte(ip_id), HalfWord(reg_id), new EpochController::LsbMsb(0, 31),
                                                new EpochController::RelocValue(value, reloc_id)));
}

}  // namespace

void StartSession(std::string const& header_file_name, std::string const& network_name)
{
    NetworkName = network_name;
    HeaderFileName = header_file_name;
    tracer.Clear();
    blobs_info.clear();
    if (os.is_open()) {
        os.close();
    }
    os.clear();
    errno = 0;
    os.open(header_file_name, std::ios::out | std::ios::trunc);
    if (!os.is_open()) {
        std::string const reason = errno != 0 ? std::string(": ") + std::strerror(errno) : std::string();
        StopOnHeaderError("Cannot open file '" + header_file_name + "'" + reason);
    }
    initialize_ec_zuno_base();
    WriteHeaderPrologue(os, header_file_name);
    CheckHeaderStream();
}

void RecordRelocWrite(mpool_reloc_info_t const* pools, uint32_t ip_id, uint32_t reg_id, uint32_t base,
                      uint32_t offset)
{
    mpool_reloc_info_t const* pool = FindPoolByBase(pools, base);
    if (pool->is_absolute != 0) {
        AppendWrite(ip_id, reg_id, base + offset, "");
        return;
    }
    if (pool->name == nullptr) {
        char address[16];
        std::snprintf(address, sizeof address, "0x%08x", static_cast<unsigned>(base));
        StopRecording("ec_trace_reg_write_reloc", __FILE__, __LINE__,
                      std::string("no memory pool of mpool_reloc_info has the base address ") + address);
    }
    AppendWrite(ip_id, reg_id, offset, pool->name);
}

}  // namespace ecscribe

using namespace ecscribe;

extern "C" void ec_trace_init(char const* header_file_name, char const* network_name)
{
    RunEntryPoint("ec_trace_init", [&] {
        ECSCRIBE_REQUIRE(header_file_name != NULL, "ec_trace_init");
        ECSCRIBE_REQUIRE(network_name != NULL, "ec_trace_init");
        StartSession(header_file_name, network_name);
    });
}

extern "C" void ec_trace_start_blob(char const* blob_name)
{
    RunEntryPoint("ec_trace_start_blob", [&] {
        ECSCRIBE_REQUIRE(blob_name != NULL, "ec_trace_start_blob");
        ECSCRIBE_REQUIRE(tracer.GetSize() == 0, "ec_trace_start_blob");
        ec_trace_comment(std::string("Start Blob '") + blob_name + "'");
    });
}

extern "C" void ec_trace_start_epoch(uint32_t epoch)
{
    RunEntryPoint("ec_trace_start_epoch", [&] {
        ec_trace_comment("Start Epoch " + std::to_string(epoch));
        tracer.AddInstr(EpochController::InstrLabel(epoch));
    });
}

extern "C" void ec_trace_end_epoch(uint32_t epoch)
{
    RunEntryPoint("ec_trace_end_epoch", [&] { ec_trace_comment("End Epoch " + std::to_string(epoch)); });
}

extern "C" void ec_trace_reg_write(uint32_t ip_id, uint32_t reg_id, uint32_t value)
{
    RunEntryPoint("ec_trace_reg_write", [&] { AppendWrite(ip_id, reg_id, value, ""); });
}

extern "C" void ec_trace_reg_write_reloc(uint32_t ip_id, uint32_t reg_id, uint32_t base, uint32_t offset)
{
    RunEntryPoint("ec_trace_reg_write_reloc",
                  [&] { RecordRelocWrite(mpool_reloc_info, ip_id, reg_id, base, offset); });
}

extern "C" void ec_trace_reg_writefield(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width,
                                        uint32_t value)
{
    RunEntryPoint("ec_trace_reg_writefield", [&] {
        tracer.AddInstr(EpochController::InstrWriteField(Byte(ip_id), Byte(reg_id), Byte(lsb), Byte(width), Byte(value)));
    });
}

extern "C" void ec_trace_reg_poll(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width, uint32_t value)
{
    RunEntryPoint("ec_trace_reg_poll", [&] {
        // Every recorded poll re-reads the register every 100 cycles.
        constexpr uint32_t kPollIntervalCycles = 100;
        tracer.AddInstr(EpochController::InstrPoll(
            Byte(ip_id), HalfWord(reg_id), new EpochController::LsbMsb(Byte(lsb), Byte(lsb + width - 1)),
            new EpochController::RelocValue(value, ""), kPollIntervalCycles));
    });
}

extern "C" void ec_trace_comment(char const* text)
{
    RunEntryPoint("ec_trace_comment", [&] {
        ECSCRIBE_REQUIRE(text != NULL, "ec_trace_comment");
        ec_trace_comment(std::string(text));
    });
}

void ec_trace_comment(std::string const& text)
{
    tracer.AddInstr(EpochController::InstrDebugInfo(text));
}

extern "C" void ec_trace_unsupported(void)
{
    StopRecording("ec_trace_unsupported", __FILE__, __LINE__,
                  "the calling driver operation has no Epoch Controller form and cannot be recorded");
}

extern "C" void ec_trace_end_blob(char const* blob_name)
{
    RunEntryPoint("ec_trace_end_blob", [&] {
        ECSCRIBE_REQUIRE(blob_name != NULL, "ec_trace_end_blob");
        std::string const name(blob_name);
        tracer.AddInstr(EpochController::InstrIRQ(0));
        ec_trace_comment("End Blob '" + name + "'");
        FinishBlob(name, mpool_reloc_info);
    });
}

extern "C" void ec_trace_all_blobs_done(void)
{
    RunEntryPoint("ec_trace_all_blobs_done", [&] {
        CheckHeaderStream();
        WriteInitFunctions(os, NetworkName, blobs_info);
        WriteHeaderClosing(os);
        CheckHeaderStream();
    });
}
