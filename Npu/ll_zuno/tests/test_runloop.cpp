// Run loop on the host: call order against the recording runtime stand-in and its two assertion reports.
#include <gtest/gtest.h>

#include <vector>

#include "ll_zuno_runloop.h"
#include "runtime_recorder.h"

namespace {

const NN_Interface_TypeDef kNetwork = {"net", nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr};

std::vector<RuntimeRecorderOp> RecordedOps(const NN_Instance_TypeDef* instance)
{
    std::vector<RuntimeRecorderOp> ops;
    for (unsigned int i = 0; i < runtime_recorder_count(); ++i) {
        const RuntimeRecorderCall* call = runtime_recorder_call(i);
        bool runtime_wide = call->op == RT_CALL_RUNTIME_INIT || call->op == RT_CALL_RUNTIME_DEINIT;
        EXPECT_EQ(call->instance, runtime_wide ? nullptr : instance) << "call " << i;
        ops.push_back(call->op);
    }
    return ops;
}

TEST(RunLoop, PollsUntilDoneThenTearsDown)
{
    struct Row {
        const char* what;
        std::vector<LL_ZUNO_RT_RetValues_t> script;
        unsigned int runs;
    };
    const Row rows[] = {
        {"wfe, no wfe, done", {LL_ZUNO_RT_WFE, LL_ZUNO_RT_NO_WFE, LL_ZUNO_RT_DONE}, 3},
        {"done at once", {LL_ZUNO_RT_DONE}, 1},
        {"many waits", {LL_ZUNO_RT_WFE, LL_ZUNO_RT_WFE, LL_ZUNO_RT_WFE, LL_ZUNO_RT_WFE, LL_ZUNO_RT_DONE}, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NN_Instance_TypeDef instance{};
        instance.network = &kNetwork;
        runtime_recorder_reset(row.script.data(), static_cast<unsigned int>(row.script.size()));
        LL_ZUNO_RT_Main(&instance);
        std::vector<RuntimeRecorderOp> expected = {RT_CALL_RUNTIME_INIT, RT_CALL_INIT_NETWORK};
        expected.insert(expected.end(), row.runs, RT_CALL_RUN_EPOCH_BLOCK);
        expected.push_back(RT_CALL_DEINIT_NETWORK);
        expected.push_back(RT_CALL_RUNTIME_DEINIT);
        EXPECT_EQ(RecordedOps(&instance), expected);
    }
}

TEST(RunLoopDeathTest, NullInstanceStopsInTheFirstAssertion)
{
    EXPECT_DEATH(LL_ZUNO_RT_Main(nullptr),
                 "ll_zuno_runloop\\.c:47: LL_ZUNO_RT_Main: Assertion `network_instance != \\(\\(void \\*\\)0\\)' "
                 "failed");
}

TEST(RunLoopDeathTest, NullNetworkStopsInTheSecondAssertion)
{
    NN_Instance_TypeDef instance{};
    EXPECT_DEATH(LL_ZUNO_RT_Main(&instance),
                 "ll_zuno_runloop\\.c:48: LL_ZUNO_RT_Main: Assertion `network_instance->network != "
                 "\\(\\(void \\*\\)0\\)' failed");
}

TEST(RunLoop, EnumerationsTakeOneByte)
{
    static_assert(sizeof(LL_ZUNO_RT_RetValues_t) == 1);
    static_assert(sizeof(LL_ZUNO_RT_Callbacktype_t) == 1);
    static_assert(sizeof(LL_ZUNO_User_IO_Result_t) == 1);
    EXPECT_EQ(LL_ZUNO_RT_DONE, 2);
    EXPECT_EQ(LL_ZUNO_RT_Callbacktype_RT_Deinit, 7);
    EXPECT_EQ(LL_ZUNO_User_IO_WRONG_INDEX, 3);
}

}  // namespace
