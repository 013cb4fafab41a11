/* Float software kernels: adapters that run one layer on the CPU through the layer kernel library. */
#ifndef SWK_FLOAT_H
#define SWK_FLOAT_H

#include "swk_descriptors.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Each adapter takes the descriptor record of its family; the record's general.type picks the variant.
 * An unsupported kind calls no kernel and leaves the output unchanged. */
void ll_sw_forward_conv(void *sw_info_struct);                   /* Conv_sw_info */
void ll_sw_forward_gemm(void *sw_info_struct);                   /* Gemm_sw_info */
void ll_sw_forward_matmul(void *sw_info_struct);                 /* Matmul_sw_info */
void ll_sw_forward_resize(void *sw_info_struct);                 /* Resize_sw_info */
void ll_sw_forward_softmax(void *sw_info_struct);                /* Softmax_sw_info */
void ll_sw_forward_activ(void *sw_info_struct);                  /* Activ_sw_info */
void ll_sw_forward_arith(void *sw_info_struct);                  /* Arith_sw_info */
void ll_sw_forward_pool(void *sw_info_struct);                   /* Pool_sw_info */
void ll_sw_forward_global_pool(void *sw_info_struct);            /* Global_pool_sw_info */
void ll_sw_forward_argmax(void *sw_info_struct);                 /* Argmax_sw_info */
void ll_sw_forward_argmin(void *sw_info_struct);                 /* Argmin_sw_info */
void ll_sw_forward_gather(void *sw_info_struct);                 /* Gather_sw_info */
void ll_sw_forward_reduce(void *sw_info_struct);                 /* Reduce_sw_info */
void ll_sw_forward_bn(void *sw_info_struct);                     /* Bn_sw_info, computed by the adapter */
void ll_sw_forward_instance_normalization(void *sw_info_struct); /* Instance_normalization_sw_info */
void ll_sw_forward_lpnormalization(void *sw_info_struct);        /* Lpnormalization_sw_info */
void ll_sw_forward_sign(void *sw_info_struct);                   /* Sign_sw_info */
void ll_sw_forward_lrn(void *sw_info_struct);                    /* Lrn_sw_info */
void ll_sw_forward_tile(void *sw_info_struct);                   /* Tile_sw_info */
void ll_sw_forward_concat(void *sw_info_struct);                 /* Concat_sw_info */

#ifdef __cplusplus
}
#endif

#endif /* SWK_FLOAT_H */
