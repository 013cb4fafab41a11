// Convolution reference on the host: the exact lines it prints and the errors it reports.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "lib_recorder.h"
#include "ll_zuno_probe.h"

namespace {

const uint32_t kShape1111[4] = {1, 1, 1, 1};
const uint32_t kShape1551[4] = {1, 5, 5, 1};

LL_LIB_TensorInfo_TypeDef Tensor(void* data, uint32_t bytes, Buffer_DataType_TypeDef type, const uint32_t* shape)
{
    LL_LIB_TensorInfo_TypeDef t{};
    t.name = "t";
    t.addr_base.p = static_cast<uint8_t*>(data);
    t.offset_end = bytes;
    t.offset_limit = bytes;
    t.type = type;
    t.ndims = 4;
    t.shape = shape;
    return t;
}

class ConvInteger : public ::testing::Test {
protected:
    void SetUp() override
    {
        lib_recorder_reset();
        inputs[0] = Tensor(feat.data(), 1, DataType_INT8, kShape1111);
        inputs[1] = Tensor(kern.data(), 1, DataType_INT8, kShape1111);
        output = Tensor(out.data(), sizeof(out), DataType_INT32, kShape1551);
    }

    // Runs the convolution and returns what it printed.
    std::string Run()
    {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(LL_ZUNO_LIB_ConvInteger(inputs.data(), 2, &output), -2);
        return ::testing::internal::GetCapturedStdout();
    }

    std::array<int8_t, 1> feat{{3}};
    std::array<int8_t, 1> kern{{2}};
    std::array<int32_t, 25> out{};
    std::array<LL_LIB_TensorInfo_TypeDef, 2> inputs{};
    LL_LIB_TensorInfo_TypeDef output{};
};

TEST_F(ConvInteger, OneByOnePrintsEveryOutputAndTheLargestSum)
{
    std::string expected;
    for (int i = 0; i < 25; ++i) {
        expected += i == 12 ? "oidx=12 = 6 max=6\n" : "oidx=" + std::to_string(i) + " = -256 max=0\n";
    }
    expected += "tot max=6 2.584963";
    EXPECT_EQ(Run(), expected);
    EXPECT_EQ(lib_recorder_error()->count, 0u);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(out[i], i == 12 ? 6 : -256) << "element " << i;
    }
}

TEST_F(ConvInteger, ZeroFeatureMapPrintsTheLogarithmOfZero)
{
    feat[0] = 0;
    std::string printed = Run();
    EXPECT_NE(printed.find("oidx=12 = 0 max=0\n"), std::string::npos);
    EXPECT_EQ(printed.substr(printed.rfind('\n') + 1), "tot max=0 -inf");
}

TEST_F(ConvInteger, FirstFailedCheckReportsItsCodeAndLine)
{
    EXPECT_EQ(_ERR_DATATYPE, 5);
    output.type = DataType_FLOAT;
    EXPECT_EQ(Run(), "LL_LIB error 5 at line 56 of LL_ZUNO_LIB_ConvInteger\n");
    EXPECT_EQ(lib_recorder_error()->count, 1u);
    EXPECT_EQ(lib_recorder_error()->line, 56);
    EXPECT_STREQ(lib_recorder_error()->func, "LL_ZUNO_LIB_ConvInteger");
    EXPECT_EQ(out, (std::array<int32_t, 25>{}));
}

TEST_F(ConvInteger, PerChannelFeatureMapFailsAfterTheOtherChecks)
{
    inputs[0].per_channel = 1;
    EXPECT_EQ(Run(), "LL_LIB error 5 at line 74 of LL_ZUNO_LIB_ConvInteger\n");
    inputs[0].type = DataType_INT16;
    EXPECT_EQ(Run(), "LL_LIB error 13 at line 59 of LL_ZUNO_LIB_ConvInteger\n");
}

TEST_F(ConvInteger, ShapesLargerThanTheirBuffersAreRefused)
{
    const uint32_t feat_two_channels[4] = {1, 1, 1, 2};
    std::array<int8_t, 2> wide{{3, 3}};
    inputs[0] = Tensor(wide.data(), 2, DataType_INT8, feat_two_channels);
    EXPECT_EQ(Run(), "LL_LIB error 13 at line 93 of LL_ZUNO_LIB_ConvInteger\n");

    SetUp();
    const uint32_t out_one_row[4] = {1, 1, 5, 1};
    output = Tensor(out.data(), 5 * sizeof(int32_t), DataType_INT32, out_one_row);
    EXPECT_EQ(Run(), "LL_LIB error 14 at line 96 of LL_ZUNO_LIB_ConvInteger\n");
    EXPECT_EQ(out, (std::array<int32_t, 25>{}));
}

TEST(BufferInfo, AccessorsFollowTheUserPointer)
{
    std::array<uint8_t, 16> storage{};
    uint8_t* user = storage.data();
    LL_Buffer_InfoTypeDef buf{};
    buf.addr_base.p = storage.data();
    buf.offset_start = 4;
    buf.offset_end = 12;
    EXPECT_EQ(LL_Buffer_addr_base(&buf), storage.data());
    EXPECT_EQ(LL_Buffer_addr_start(&buf), storage.data() + 4);
    EXPECT_EQ(LL_Buffer_len(&buf), 8u);
    buf.is_user_allocated = 1;
    buf.addr_base.p = reinterpret_cast<uint8_t*>(&user);
    EXPECT_EQ(LL_Buffer_addr_base(&buf), storage.data());
    EXPECT_EQ(LL_Buffer_addr_start(&buf), storage.data() + 4);
    static_assert(sizeof(Buffer_DataType_TypeDef) == 1);
    static_assert(sizeof(Buffer_CHPos_TypeDef) == 1);
    static_assert(sizeof(__ll_lib_errors) == 1);
}

}  // namespace
