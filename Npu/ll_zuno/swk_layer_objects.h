/* Stack-built layer kernel library objects shared by the float and integer software kernel adapters. */
#ifndef SWK_LAYER_OBJECTS_H
#define SWK_LAYER_OBJECTS_H

#include "layer_kernel_library.h"
#include "swk_descriptors.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SWK_TENSOR_INFO_FLAGS 0x04u /* tensor-info flag value every adapter tensor carries */
#define SWK_DIMS 4u
#define SWK_LIST_SLOTS 4u /* the largest list any adapter builds: a four-input concatenation or sum */

/* One tensor with the storage its array, shape and stride point into. */
typedef struct {
  ai_array array;
  ai_shape_dimension shape[SWK_DIMS];
  ai_stride_dimension stride[SWK_DIMS];
  ai_tensor tensor;
} swk_tensor;

/* Quantization info of one tensor: it points at the caller's scale and zero-point data. */
typedef struct {
  ai_intq_info info;
  ai_intq_info_list list;
} swk_quant;

enum { SWK_LIST_INPUTS = 0, SWK_LIST_OUTPUTS = 1, SWK_LIST_PARAMS = 2, SWK_LIST_SCRATCH = 3 };

/* The four-list chain. A list without entries has size 0 and points to its first slot, which stays null. */
typedef struct {
  ai_tensor *slots[AI_TENSOR_CHAIN_SIZE][SWK_LIST_SLOTS];
  ai_tensor_list lists[AI_TENSOR_CHAIN_SIZE];
  ai_tensor_chain chain;
} swk_chain;

/* Builds a tensor in the library's B, C, W, H order for shape and stride. */
ai_tensor *swk_tensor_init(swk_tensor *t, const Tensor_info *desc, ai_array_format format);

/* Builds convolution weights: the shape is permuted to (B c, C w, W h, H b) and the stride is (b, b, w, h). */
ai_tensor *swk_tensor_init_conv_weights(swk_tensor *t, const Tensor_info *desc, ai_array_format format);

/* Attaches quantization info: scale and zero point by address, flags by the deciding signedness. */
void swk_tensor_quantize(swk_tensor *t, swk_quant *q, const Tensor_info *scale, const Tensor_info *zeropoint,
                         bool zeropoint_signed);

/* Sets up the chain with four empty lists. */
ai_tensor_chain *swk_chain_init(swk_chain *c);

/* Appends one slot (a tensor, or null) to a list. */
void swk_chain_add(swk_chain *c, unsigned list, ai_tensor *tensor);

/* Common part of a layer record: no klass, no network, no next layer, flags 0. */
ai_layer swk_layer_base(ai_layer_type type, uint32_t id, ai_layer_forward_func forward, ai_tensor_chain *chain);

/* A parameter array over the adapter's own storage. */
ai_array swk_param_array(ai_array_format format, uint32_t size, void *data);

/* A four-element pad shape over the adapter's own storage, filled in the order given. */
ai_shape swk_pad_shape(ai_shape_dimension storage[SWK_DIMS], int32_t p0, int32_t p1, int32_t p2, int32_t p3);

/* A library (W, H) pair from a record's (H, W) pair. */
ai_shape_2d swk_pair_wh(int32_t h, int32_t w);

/* The convolution record both kernel sets build: no fused activation, channel-last data. */
ai_layer_conv2d swk_conv2d_layer(ai_layer_forward_func forward, ai_tensor_chain *chain, int ngroup,
                                 const int32_t pads[4], const int32_t strides[4], const int32_t dilations[2],
                                 ai_shape_dimension pad_storage[SWK_DIMS]);

/* Record axis to library axis: the record orders the last two dimensions (H, W), the library (W, H);
 * anything outside 0..3 becomes -1. */
int32_t swk_axis_map(int axis);

/* Copies the (H, W) scale pair of a resize layer: scales[2] and scales[3] of the record's scale tensor, or the
 * output-to-input ratio of the height and width when the layer was given sizes instead of scales. */
void swk_resize_scales(float pair[2], const Tensor_info *scales, const General *general);

/* The settings a resize record carries besides its tensors; float and integer records hold the same ones. */
typedef struct {
  const Tensor_info *scales;
  const Tensor_info *roi; /* a null start_offset means no region of interest */
  float cubic_coeff_a;
  bool exclude_outside;
  float extrapol_val;
  uint8_t mode;
  uint8_t nearest_mode;
  uint8_t coord_transf_mode;
} swk_resize_settings;

/* The settings of a float or integer resize record, which name them alike. */
#define SWK_RESIZE_SETTINGS(info)                                                                           \
  {                                                                                                         \
    .scales = &(info)->scales, .roi = &(info)->roi, .cubic_coeff_a = (info)->cubic_coeff_a,                 \
    .exclude_outside = (info)->exclude_outside, .extrapol_val = (info)->extrapol_val, .mode = (info)->mode, \
    .nearest_mode = (info)->nearest_mode, .coord_transf_mode = (info)->coord_transf_mode,                   \
  }

/* Runs `kernel` on an upsample record (zero-insertion mode) or a resize record (every other mode) built
 * from the settings, with float scales and region of interest. */
void swk_run_resize(ai_layer_forward_func kernel, ai_tensor_chain *tensors, const swk_resize_settings *settings,
                    const General *general);

#ifdef __cplusplus
}
#endif

#endif /* SWK_LAYER_OBJECTS_H */
