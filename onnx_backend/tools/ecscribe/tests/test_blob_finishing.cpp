// Tests of whole recordings: the blob header and listings of the test network, finishing and file errors.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "blob_finishing.h"
#include "ecforge.h"
#include "ecscribe.h"
#include "recorder_state.h"
#include "recorder_test_support.h"
#include "testnet_blobs.h"

namespace {

using ecscribe_test::ExpectMatchesGolden;
using ecscribe_test::ReadFile;
using ecscribe_test::WriteFile;

std::vector<std::string> const kBlobs = {"_ec_blob_1", "_ec_blob_3", "_ec_blob_6", "_ec_blob_9", "_ec_blob_12"};

std::vector<std::string> OutputFiles()
{
    std::vector<std::string> files = {"testnet_ecblobs.h"};
    for (std::string const& blob : kBlobs) {
        files.push_back("debug_" + blob + "_initial.s");
        files.push_back("debug_" + blob + ".s");
    }
    return files;
}

using TestNetwork = ecscribe_test::InTempDir;
using TestNetworkDeathTest = ecscribe_test::InTempDir;

TEST_F(TestNetwork, HeaderAndListingsMatchTheirGoldenFiles)
{
    trace_testnet();
    for (std::string const& file : OutputFiles()) {
        SCOPED_TRACE(file);
        ExpectMatchesGolden(ReadFile(file), file);
    }
}

TEST_F(TestNetwork, BlobInfoClassifiesEveryRelocationSymbol)
{
    trace_testnet();
    ASSERT_EQ(ecscribe::blobs_info.size(), kBlobs.size());
    struct Expected {
        std::string name;
        bool relocatable;
        std::vector<std::string> inference;
        std::vector<std::string> network;
    };
    std::vector<Expected> const expected = {
        {"_ec_blob_1", false, {}, {}},
        {"_ec_blob_3", false, {}, {}},
        {"_ec_blob_6", true, {"SRAM_INF", "ACT_INF"}, {"SRAM_NET"}},
        {"_ec_blob_9", true, {}, {"SRAM_NET", "SPAN_A"}},
        {"_ec_blob_12", true, {}, {"SRAM_NET"}},
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(expected[k].name);
        ecscribe::blob_info const& info = ecscribe::blobs_info[k];
        EXPECT_EQ(info.blob_name, expected[k].name);
        EXPECT_EQ(info.runtime_size != 0, expected[k].relocatable);
        EXPECT_EQ(info.inference_relocs, expected[k].inference);
        EXPECT_EQ(info.network_relocs, expected[k].network);
    }
    EXPECT_TRUE(ecscribe::tracer.GetInstructions().empty());
}

TEST_F(TestNetwork, SecondRunOverwritesHeaderAndListings)
{
    for (std::string const& file : OutputFiles()) {
        WriteFile(file, std::string(100000, 'x'));
    }
    trace_testnet();
    std::vector<std::string> first;
    for (std::string const& file : OutputFiles()) {
        first.push_back(ReadFile(file));
        EXPECT_EQ(first.back().find('x' + std::string(99, 'x')), std::string::npos) << file;
    }
    trace_testnet();
    for (std::size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(ReadFile(OutputFiles()[k]), first[k]) << OutputFiles()[k];
    }
}

TEST(BlobFinishing, RuntimeSizeHoldsTheTwoLeadingWordsAndTheProgram)
{
    struct Row {
        uint64_t words;
        uint32_t size;
    };
    for (Row const& row : std::vector<Row>{{0, 1}, {1, 2}, {2, 2}, {10, 6}, {11, 7}}) {
        SCOPED_TRACE(row.words);
        EXPECT_EQ(ecscribe::RuntimeSize(row.words), row.size);
    }
}

TEST(BlobFinishing, ClassificationFollowsPoolTableOrder)
{
    mpool_reloc_info_t const pools[] = {
        {"Z_NET", "_z", 0x1000u, 0, 0},   {"B_INF", "_b", 0x2000u, 0, 1}, {"A_INF", "_a", 0x3000u, 0, 1},
        {"ABS", "_abs", 0x4000u, 1, 0},   {"UNUSED", "_u", 0x5000u, 0, 0}, {"ABS_INF", "_ai", 0x6000u, 1, 1},
        {nullptr, nullptr, 0u, 0, 0},
    };
    EpochController::Binary binary;
    for (uint32_t k = 0; k < 11; ++k) {
        binary.AddWord(k);
    }
    for (char const* symbol : {"A_INF", "ABS", "B_INF", "Z_NET", "NO_ROW", "ABS_INF"}) {
        binary.AddReloc(symbol, 1);
    }
    ecscribe::blob_info const info = ecscribe::ClassifyRelocations("_ec_blob_7", binary, pools);
    EXPECT_EQ(info.blob_name, "_ec_blob_7");
    EXPECT_EQ(info.runtime_size, 7u);
    EXPECT_EQ(info.inference_relocs, (std::vector<std::string>{"B_INF", "A_INF", "ABS_INF"}));
    EXPECT_EQ(info.network_relocs, std::vector<std::string>{"Z_NET"});
}

TEST_F(TestNetworkDeathTest, HeaderThatCannotBeOpenedStopsWithItsName)
{
    EXPECT_EXIT(ec_trace_init("missing_dir/testnet_ecblobs.h", "testnet"), ::testing::ExitedWithCode(1),
                "^Error: Cannot open file 'missing_dir/testnet_ecblobs.h': No such file or directory\n$");
}

TEST_F(TestNetworkDeathTest, HeaderThatCannotBeWrittenStopsWithItsName)
{
    EXPECT_EXIT(ec_trace_init("/dev/full", "testnet"), ::testing::ExitedWithCode(1),
                "^Error: Cannot write to file '/dev/full'\n$");
}

TEST_F(TestNetworkDeathTest, BlobSectionThatCannotBeWrittenStopsWithTheHeaderName)
{
    ec_trace_init("testnet_ecblobs.h", "testnet");
    ecscribe::os.close();
    ecscribe::os.open("/dev/full");
    ASSERT_TRUE(ecscribe::os.is_open());
    EXPECT_EXIT(trace_ec__ec_blob_1(), ::testing::ExitedWithCode(1),
                "^Error: Cannot write to file 'testnet_ecblobs.h'\n$");
    EXPECT_EXIT(trace_ec__ec_blob_6(), ::testing::ExitedWithCode(1),
                "^Error: Cannot write to file 'testnet_ecblobs.h'\n$");
    EXPECT_EXIT(ec_trace_all_blobs_done(), ::testing::ExitedWithCode(1),
                "^Error: Cannot write to file 'testnet_ecblobs.h'\n$");
}

TEST_F(TestNetworkDeathTest, UnwritableListingShowsTheErrorReportAndAborts)
{
    ec_trace_init("testnet_ecblobs.h", "testnet");
    std::filesystem::create_directory("debug__ec_blob_1_initial.s");
    EXPECT_EXIT(trace_ec__ec_blob_1(), ::testing::KilledBySignal(SIGABRT),
                "^Cannot open file 'debug__ec_blob_1_initial.s' \\(pos 0\\)\n$");
}

}  // namespace
