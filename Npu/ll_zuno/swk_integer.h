/* Integer software kernels: adapters that run one quantized layer, or a float/8-bit conversion, on the CPU. */
#ifndef SWK_INTEGER_H
#define SWK_INTEGER_H

#include "swk_descriptors.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Each adapter takes the descriptor record of its family. An unsupported kind, convolution case or resize
 * mode calls no kernel and leaves the output unchanged. */
void ll_sw_forward_qlinearmatmul(void *sw_info_struct);       /* Qlinearmatmul_sw_info; clears the bias first */
void ll_sw_forward_gemm_integer(void *sw_info_struct);        /* Gemm_integer_sw_info */
void ll_sw_forward_quantizelinear(void *sw_info_struct);      /* Quantizelinear_sw_info: float to 8-bit */
void ll_sw_forward_dequantizelinear(void *sw_info_struct);    /* Dequantizelinear_sw_info: 8-bit to float */
void ll_sw_forward_requantizelinear(void *sw_info_struct);    /* Requantizelinear_sw_info */
void ll_sw_forward_conv_integer(void *sw_info_struct);        /* Conv_integer_sw_info, by fwd_func */
void ll_sw_forward_eltwise_integer(void *sw_info_struct);     /* Eltwise_integer_sw_info */
void ll_sw_forward_pool_integer(void *sw_info_struct);        /* Pool_integer_sw_info */
void ll_sw_forward_global_pool_integer(void *sw_info_struct); /* Global_pool_integer_sw_info */
void ll_sw_forward_softmax_integer(void *sw_info_struct);     /* Softmax_integer_sw_info */
void ll_sw_forward_activ_integer(void *sw_info_struct);       /* Activ_integer_sw_info */
void ll_sw_forward_resize_integer(void *sw_info_struct);      /* Resize_integer_sw_info */

#ifdef __cplusplus
}
#endif

#endif /* SWK_INTEGER_H */
