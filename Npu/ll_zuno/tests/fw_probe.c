/* Convolution reference checks: the 1x1 example, the order of its input checks, and user-allocated buffers. */
#include <stddef.h>
#include <string.h>

#include "lib_recorder.h"
#include "ll_zuno_probe.h"
#include "zuno_check.h"

static const uint32_t kShape1111[4] = { 1, 1, 1, 1 };
static const uint32_t kShape1551[4] = { 1, 5, 5, 1 };

/* The 1x1 example: feature map 3, kernel 2, output 5x5 of 32-bit values. */
typedef struct {
  int8_t feat_data[1];
  int8_t kern_data[1];
  int32_t out_data[25];
  uint8_t *user_pointers[3];
  LL_LIB_TensorInfo_TypeDef inputs[2];
  LL_LIB_TensorInfo_TypeDef output;
} OneByOne;

static LL_LIB_TensorInfo_TypeDef tensor(void *data, uint32_t bytes, Buffer_DataType_TypeDef type,
                                        const uint32_t *shape)
{
  LL_LIB_TensorInfo_TypeDef t;
  memset(&t, 0, sizeof(t));
  t.name = "t";
  t.addr_base.p = (uint8_t *)data;
  t.offset_end = bytes;
  t.offset_limit = bytes;
  t.type = type;
  t.ndims = 4;
  t.shape = shape;
  return t;
}

static void init_one_by_one(OneByOne *c)
{
  memset(c, 0, sizeof(*c));
  c->feat_data[0] = 3;
  c->kern_data[0] = 2;
  c->inputs[0] = tensor(c->feat_data, 1, DataType_INT8, kShape1111);
  c->inputs[1] = tensor(c->kern_data, 1, DataType_INT8, kShape1111);
  c->output = tensor(c->out_data, sizeof(c->out_data), DataType_INT32, kShape1551);
}

static void check_one_by_one_output(const int32_t *out)
{
  for (int i = 0; i < 25; ++i) {
    ZUNO_CHECK_EQ_I(out[i], i == 12 ? 6 : -256);
  }
}

ZUNO_TEST(conv_one_by_one_pads_with_minus_128)
{
  OneByOne c;
  init_one_by_one(&c);
  lib_recorder_reset();
  ZUNO_CHECK_EQ_I(LL_ZUNO_LIB_ConvInteger(c.inputs, 2, &c.output), -2);
  ZUNO_CHECK_EQ_U(lib_recorder_error()->count, 0);
  check_one_by_one_output(c.out_data);
}

ZUNO_TEST(conv_reaches_user_allocated_buffers_through_their_pointer)
{
  OneByOne c;
  init_one_by_one(&c);
  c.user_pointers[0] = (uint8_t *)c.feat_data;
  c.user_pointers[1] = (uint8_t *)c.kern_data;
  c.user_pointers[2] = (uint8_t *)c.out_data;
  LL_LIB_TensorInfo_TypeDef *buffers[3] = { &c.inputs[0], &c.inputs[1], &c.output };
  for (int i = 0; i < 3; ++i) {
    buffers[i]->is_user_allocated = 1;
    buffers[i]->addr_base.p = (uint8_t *)&c.user_pointers[i];
  }
  lib_recorder_reset();
  ZUNO_CHECK_EQ_I(LL_ZUNO_LIB_ConvInteger(c.inputs, 2, &c.output), -2);
  ZUNO_CHECK_EQ_U(lib_recorder_error()->count, 0);
  check_one_by_one_output(c.out_data);
}

/* Each row damages the 1x1 example in one way; the first failing check reports and nothing is written. */
typedef enum {
  DAMAGE_OUT_FLOAT,
  DAMAGE_FEAT_INT16,
  DAMAGE_OUT_SHORT,
  DAMAGE_KERN_EMPTY,
  DAMAGE_FEAT_RANK,
  DAMAGE_OUT_RANK,
  DAMAGE_PER_CHANNEL,
  DAMAGE_KERN_CHANNELS,
  DAMAGE_OUT_SHAPE,
} Damage;

static void damage(OneByOne *c, Damage d)
{
  static const uint32_t feat_two_channels[4] = { 1, 1, 1, 2 };
  static const uint32_t out_one_row[4] = { 1, 1, 5, 1 };
  switch (d) {
  case DAMAGE_OUT_FLOAT: c->output.type = DataType_FLOAT; break;
  case DAMAGE_FEAT_INT16: c->inputs[0].type = DataType_INT16; break;
  case DAMAGE_OUT_SHORT: c->output.offset_end = 99; break;
  case DAMAGE_KERN_EMPTY: c->inputs[1].offset_end = 0; break;
  case DAMAGE_FEAT_RANK: c->inputs[0].ndims = 3; break;
  case DAMAGE_OUT_RANK: c->output.ndims = 3; break;
  case DAMAGE_PER_CHANNEL: c->inputs[0].per_channel = 1; break;
  case DAMAGE_KERN_CHANNELS:
    /* Two feature channels with a one-channel kernel would read past the kernel. */
    c->inputs[0].shape = feat_two_channels;
    c->inputs[0].offset_end = 2;
    break;
  case DAMAGE_OUT_SHAPE:
    /* An output shaped smaller than 5x5 would be written past its end. */
    c->output.shape = out_one_row;
    c->output.offset_end = 5 * sizeof(int32_t);
    break;
  }
}

ZUNO_TEST(conv_checks_in_order_and_writes_nothing_on_error)
{
  static const struct {
    Damage damage;
    int err;
    int line;
  } rows[] = {
    { DAMAGE_OUT_FLOAT, _ERR_DATATYPE, 56 },     { DAMAGE_FEAT_INT16, _ERR_BUFFER_IN, 59 },
    { DAMAGE_OUT_SHORT, _ERR_BUFFER_OUT, 62 },   { DAMAGE_KERN_EMPTY, _ERR_BUFFER_IN, 65 },
    { DAMAGE_FEAT_RANK, _ERR_SHAPE_IN, 68 },     { DAMAGE_OUT_RANK, _ERR_SHAPE_OUT, 71 },
    { DAMAGE_PER_CHANNEL, _ERR_DATATYPE, 74 },   { DAMAGE_KERN_CHANNELS, _ERR_BUFFER_IN, 93 },
    { DAMAGE_OUT_SHAPE, _ERR_BUFFER_OUT, 96 },
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    OneByOne c;
    init_one_by_one(&c);
    damage(&c, rows[i].damage);
    memset(c.out_data, 0x5A, sizeof(c.out_data));
    lib_recorder_reset();
    ZUNO_CHECK_EQ_I(LL_ZUNO_LIB_ConvInteger(c.inputs, 2, &c.output), -2);
    ZUNO_CHECK_EQ_U(lib_recorder_error()->count, 1);
    ZUNO_CHECK_EQ_I(lib_recorder_error()->err, rows[i].err);
    ZUNO_CHECK_EQ_I(lib_recorder_error()->line, rows[i].line);
    ZUNO_CHECK_STR(lib_recorder_error()->func, "LL_ZUNO_LIB_ConvInteger");
    ZUNO_CHECK_EQ_U((uint32_t)c.out_data[0], 0x5A5A5A5Au);
  }
}

ZUNO_TEST(buffer_descriptor_enumerations_take_one_byte)
{
  ZUNO_CHECK_EQ_U(sizeof(Buffer_DataType_TypeDef), 1);
  ZUNO_CHECK_EQ_U(sizeof(Buffer_CHPos_TypeDef), 1);
  ZUNO_CHECK_EQ_U(sizeof(__ll_lib_errors), 1);
  ZUNO_CHECK_EQ_U(DataType_FXP, 100);
  ZUNO_CHECK_EQ_U(_ERR_MODE, 16);
}
