/* Layer descriptor records that a network's generated code passes to the software kernel adapters. */
#ifndef SWK_DESCRIPTORS_H
#define SWK_DESCRIPTORS_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Operator kinds; the generated code stores one in a byte, so the values are part of the record layout. */
enum ll_sw_node_type {
  LL_SW_CONV = 0,
  LL_SW_RELU = 1,
  LL_SW_PRELU = 2,
  LL_SW_THRESHOLDEDRELU = 3,
  LL_SW_ELU = 4,
  LL_SW_SELU = 5,
  LL_SW_MAXPOOL = 6,
  LL_SW_MINPOOL = 7,
  LL_SW_AVGPOOL = 8,
  LL_SW_SOFTMAX = 9,
  LL_SW_BATCHNORM = 10,
  LL_SW_LRN = 11,
  LL_SW_ARITHADD = 12,
  LL_SW_ARITHSUM = 13,
  LL_SW_ARITHSUB = 14,
  LL_SW_ARITHMUL = 15,
  LL_SW_ARITHDIV = 16,
  LL_SW_CONCAT = 17,
  LL_SW_SPLIT = 18,
  LL_SW_SLICE = 19,
  LL_SW_SIGMOID = 20,
  LL_SW_ATAN = 21,
  LL_SW_ATANH = 22,
  LL_SW_ACOS = 23,
  LL_SW_ACOSH = 24,
  LL_SW_ASIN = 25,
  LL_SW_ASINH = 26,
  LL_SW_TAN = 27,
  LL_SW_TANH = 28,
  LL_SW_COS = 29,
  LL_SW_COSH = 30,
  LL_SW_SIN = 31,
  LL_SW_SINH = 32,
  LL_SW_SQRT = 33,
  LL_SW_CEIL = 34,
  LL_SW_GATHER = 35,
  LL_SW_FLOOR = 36,
  LL_SW_EXP = 37,
  LL_SW_LOG = 38,
  LL_SW_QLINEARCONV = 39,
  LL_SW_QUANTIZELINEAR = 40,
  LL_SW_REQUANTIZELINEAR = 41,
  LL_SW_DEQUANTIZELINEAR = 42,
  LL_SW_QLINEARMATMUL = 43,
  LL_SW_GEMM = 44,
  LL_SW_RESIZE = 45,
  LL_SW_ERF = 46,
  LL_SW_POW = 47,
  LL_SW_AND = 48,
  LL_SW_OR = 49,
  LL_SW_XOR = 50,
  LL_SW_EQUAL = 51,
  LL_SW_GREATER = 52,
  LL_SW_LESS = 53,
  LL_SW_GREATEROREQUAL = 54,
  LL_SW_LESSOREQUAL = 55,
  LL_SW_CLIP = 56,
  LL_SW_HARDSIGMOID = 57,
  LL_SW_HARDMAX = 58,
  LL_SW_HARDSWISH = 59,
  LL_SW_SWISH = 60,
  LL_SW_ABS = 61,
  LL_SW_INSTANCENORM = 62,
  LL_SW_REDUCESUM = 63,
  LL_SW_REDUCEMIN = 64,
  LL_SW_REDUCEMEAN = 65,
  LL_SW_REDUCEMAX = 66,
  LL_SW_REDUCEPROD = 67,
  LL_SW_SOFTSIGN = 68,
  LL_SW_SOFTPLUS = 69,
  LL_SW_LPNORM = 70,
  LL_SW_ARGMIN = 71,
  LL_SW_ARGMAX = 72,
  LL_SW_MATMUL = 73,
  LL_SW_MIN = 74,
  LL_SW_MAX = 75,
  LL_SW_NEG = 76,
  LL_SW_RECIPROCAL = 77,
  LL_SW_MOD = 78,
  LL_SW_ROUND = 79,
  LL_SW_REDUCELOGSUMEXP = 80,
  LL_SW_SIGN = 81,
  LL_SW_TILE = 82
};
#define LL_SW_NODE_TYPE_COUNT 83
typedef uint8_t NodeType;

/* Resize enumerations; their numbers equal the layer kernel library's, so adapters copy them unchanged. */
enum ll_sw_resize_mode { RESIZE_ZEROS = 0, RESIZE_NEAREST = 1, RESIZE_LINEAR = 2, RESIZE_CUBIC = 3 };
typedef uint8_t resize_mode;

enum ll_sw_nearest_mode { ROUND_PREFER_FLOOR = 0, ROUND_PREFER_CEIL = 1, FLOOR = 2, CEIL = 3 };
typedef uint8_t nearest_mode;

enum ll_sw_coord_transf_mode {
  HALF_PIXEL = 0,
  PYTORCH_HALF_PIXEL = 1,
  ALIGN_CORNERS = 2,
  ASYMMETRIC = 3,
  TF_HALF_PIXEL_FOR_NN = 4,
  TF_CROP_AND_RESIZE = 5
};
typedef uint8_t coord_transf_mode;

/* Integer convolution kernel chosen by the record's producer. */
enum ll_sw_conv_fwd_case {
  LL_SW_SSSA_PW_CONV = 0,
  LL_SW_SSSA_RGB_CONV = 1,
  LL_SW_SSSA_DW_CONV = 2,
  LL_SW_SSSA_DILATED_CONV = 3,
  LL_SW_SSSA_GENERIC_CONV = 4,
  LL_SW_GENERIC_CONV = 5
};
typedef uint8_t conv_fwd_case;

typedef struct {
  uint32_t tensor_h;
  uint32_t tensor_w;
  uint32_t tensor_c;
  uint32_t tensor_b;
  uint32_t num_elem; /* element count of the whole tensor */
} Tensor_dim_info;

/* One stride per dimension, in the unit the layer kernel library expects. */
typedef struct {
  uint32_t h;
  uint32_t w;
  uint32_t c;
  uint32_t b;
} Tensor_stride_info;

typedef struct {
  uint8_t *start_offset; /* absolute address of the tensor's first element */
} Tensor_mem_info;

typedef struct {
  bool is_signed; /* 8-bit quantized data is signed */
} Tensor_format_info;

typedef struct {
  Tensor_dim_info dim;
  Tensor_stride_info stride;
  Tensor_mem_info mem;
  Tensor_format_info format;
} Tensor_info;

typedef struct {
  NodeType type;
  Tensor_info input;
  Tensor_info output;
} General;

/* Float layer records. The one-byte enumeration fields are declared by their storage type so that the
 * records also compile as C++, where a member may not reuse the name of its own type. */

typedef struct {
  General general;
  Tensor_info weights;
  Tensor_info scratch;
  Tensor_info bias; /* a null start_offset means the layer has no bias */
  Tensor_info weights_permuted;
  int ngroup;
  int32_t pads[4];
  int32_t strides[4];   /* (H, W) pair in [0], [1] */
  int32_t dilations[2]; /* (H, W) */
} Conv_sw_info;

typedef struct {
  General general;
  Tensor_info bias;
  Tensor_info scale;
  Tensor_info mean;
  Tensor_info var;
} Bn_sw_info;

typedef struct {
  General general;
  Tensor_info bias;
  Tensor_info scale;
  float epsilon;
} Instance_normalization_sw_info;

typedef struct {
  General general;
  int axis;
  int keepdims;
  int select_last_index;
} Argmin_sw_info;

typedef struct {
  General general;
  int axis;
  int keepdims;
  int select_last_index;
} Argmax_sw_info;

typedef struct {
  General general;
  Tensor_info operand;
  Tensor_info operand1;
  Tensor_info operand2;
  unsigned num_of_inputs;
} Arith_sw_info;

typedef struct {
  General general;
  int ngroup;
  int32_t pads[4];
  int32_t strides[4]; /* (H, W) */
  int32_t k_shape[2]; /* (H, W) */
  bool count_include_pad;
} Pool_sw_info;

typedef struct {
  General general;
  uint32_t size;
  float alpha;
  float beta;
  float bias;
} Lrn_sw_info;

typedef struct {
  General general;
  int axis;
  int p;
} Lpnormalization_sw_info;

typedef struct {
  General general;
} Sign_sw_info;

typedef struct {
  General general;
} Global_pool_sw_info;

typedef struct {
  General general;
  Tensor_info scales;
  Tensor_info roi; /* a null start_offset means no region of interest */
  Tensor_info sizes;
  float cubic_coeff_a;
  bool exclude_outside;
  float extrapol_val;
  uint8_t mode;              /* resize_mode */
  uint8_t nearest_mode;      /* nearest_mode */
  uint8_t coord_transf_mode; /* coord_transf_mode */
} Resize_sw_info;

typedef struct {
  General general;
  Tensor_info operand; /* PReLU slope */
  float alpha;
  float beta;
  float gamma;
  float min;
  float max;
} Activ_sw_info;

typedef struct {
  General general;
  Tensor_info scratch;
  int axis;
} Softmax_sw_info;

typedef struct {
  General general;
  unsigned concat_axis;
  unsigned num_of_inputs;
  Tensor_info operand;
  Tensor_info operand1;
  Tensor_info operand2;
} Concat_sw_info;

typedef struct {
  General general;
  Tensor_info operand; /* the indices */
  int axis;
} Gather_sw_info;

typedef struct {
  General general;
  int axis;
} Reduce_sw_info;

typedef struct {
  General general;
  Tensor_info operand_b;
  Tensor_info operand_c;
  float alpha;
  float beta;
  uint8_t tA;
  uint8_t tB;
} Gemm_sw_info;

typedef struct {
  General general;
  Tensor_info operand_b;
} Matmul_sw_info;

typedef struct {
  General general;
  int16_t repeats[4];
} Tile_sw_info;

/* Integer layer records. For each quantized tensor the record carries a float scale tensor and an
 * 8-bit zero-point tensor: is/izp (input), ws/wzp (weights), os/ozp (output), operand_s/operand_zp. */

typedef struct {
  General general;
  Tensor_info weights;
  Tensor_info scratch;
  Tensor_info bias;
  Tensor_info ws;
  Tensor_info wzp;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
} Qlinearmatmul_sw_info;

typedef struct {
  General general;
  Tensor_info weights;
  Tensor_info scratch;
  Tensor_info bias;
  Tensor_info ws;
  Tensor_info wzp;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  float alpha;
  float beta;
  uint8_t tA;
  uint8_t tB;
} Gemm_integer_sw_info;

typedef struct {
  General general;
  Tensor_info weights;
  Tensor_info scratch;
  Tensor_info bias;
  Tensor_info ws;
  Tensor_info wzp;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  int ngroup;
  int32_t pads[4];
  int32_t strides[4];   /* (H, W) */
  int32_t dilations[2]; /* (H, W) */
  conv_fwd_case fwd_func;
} Conv_integer_sw_info;

typedef struct {
  General general;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  int ngroup;
  int32_t pads[4];
  int32_t strides[4]; /* (H, W) */
  int32_t k_shape[2]; /* (H, W) */
  bool count_include_pad;
} Pool_integer_sw_info;

typedef struct {
  General general;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  int ngroup;
  int32_t pads[4];
  int32_t strides[4];
  int32_t k_shape[2];
} Global_pool_integer_sw_info;

typedef struct {
  General general;
  Tensor_info operand; /* PReLU slope */
  Tensor_info operand_s;
  Tensor_info operand_zp;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  float alpha;
  float gamma;
  float min;
  float max;
} Activ_integer_sw_info;

typedef struct {
  General general;
  Tensor_info scratch;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  int32_t quantized_multiplier;
  int32_t left_shift;
  int32_t diff_min;
  int32_t axis;
} Softmax_integer_sw_info;

typedef struct {
  General general;
  Tensor_info operand;
  Tensor_info operand_s;
  Tensor_info operand_zp;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  unsigned num_of_inputs;
} Eltwise_integer_sw_info;

typedef struct {
  General general;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
  Tensor_info scales;
  Tensor_info roi; /* a null start_offset means no region of interest */
  Tensor_info sizes;
  float cubic_coeff_a;
  bool exclude_outside;
  float extrapol_val;
  uint8_t mode;              /* resize_mode */
  uint8_t nearest_mode;      /* nearest_mode */
  uint8_t coord_transf_mode; /* coord_transf_mode */
} Resize_integer_sw_info;

typedef struct {
  General general;
  Tensor_info os;
  Tensor_info ozp;
} Quantizelinear_sw_info;

typedef struct {
  General general;
  Tensor_info is;
  Tensor_info izp;
} Dequantizelinear_sw_info;

typedef struct {
  General general;
  Tensor_info is;
  Tensor_info izp;
  Tensor_info os;
  Tensor_info ozp;
} Requantizelinear_sw_info;

#ifdef __cplusplus
}
#endif

#endif /* SWK_DESCRIPTORS_H */
