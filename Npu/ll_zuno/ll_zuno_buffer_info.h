/* Device tensor buffer descriptor shared by the runtime interface and the convolution reference. */
#ifndef LL_ZUNO_BUFFER_INFO_H
#define LL_ZUNO_BUFFER_INFO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Element type of a buffer; stored in one byte. */
typedef enum __attribute__((packed)) {
  DataType_UNDEFINED = 0,
  DataType_FLOAT = 1,
  DataType_UINT8 = 2,
  DataType_INT8 = 3,
  DataType_UINT16 = 4,
  DataType_INT16 = 5,
  DataType_INT32 = 6,
  DataType_INT64 = 7,
  DataType_STRING = 8,
  DataType_BOOL = 9,
  DataType_FLOAT16 = 10,
  DataType_DOUBLE = 11,
  DataType_UINT32 = 12,
  DataType_UINT64 = 13,
  DataType_COMPLEX64 = 14,
  DataType_COMPLEX128 = 15,
  DataType_BFLOAT16 = 16,
  DataType_FXP = 100,
} Buffer_DataType_TypeDef;

/* Position of the channel dimension; stored in one byte. */
typedef enum __attribute__((packed)) {
  CHPos_UNDEFINED = 0,
  CHPos_First = 1,
  CHPos_Last = 2,
  CHPos_Mixed = 3,
} Buffer_CHPos_TypeDef;

/* A device address seen either as a byte pointer or as an integer of pointer width. */
typedef union {
  uint8_t *p;
  uintptr_t i;
} __LL_address_t;

/* One tensor buffer in device memory. */
typedef struct {
  const char *name;
  __LL_address_t addr_base;      /* base, or with is_user_allocated the address of a pointer to it */
  uint32_t offset_start;         /* first byte, from the base */
  uint32_t offset_end;           /* one past the last byte, from the base */
  uint32_t offset_limit;         /* end of the area the buffer may occupy */
  uint8_t is_user_allocated;
  uint8_t is_param;              /* holds parameters (weights) */
  uint16_t epoch;
  uint32_t batch;
  const uint32_t *mem_shape;     /* shape of the memory layout */
  uint16_t mem_ndims;
  Buffer_CHPos_TypeDef chpos;
  Buffer_DataType_TypeDef type;
  int8_t Qm;                     /* fixed-point integer bits */
  int8_t Qn;                     /* fixed-point fraction bits */
  uint8_t Qunsigned;
  uint8_t ndims;
  uint8_t nbits;                 /* bits per element */
  uint8_t per_channel;           /* quantization is per channel */
  const uint32_t *shape;         /* logical shape, outermost first */
  const float *scale;
  const int16_t *offset;         /* zero points */
} LL_Buffer_InfoTypeDef;

typedef LL_Buffer_InfoTypeDef LL_LIB_TensorInfo_TypeDef;

/* Returns the base address of the buffer, following the user pointer when there is one. */
static inline uint8_t *LL_Buffer_addr_base(const LL_Buffer_InfoTypeDef *buf)
{
  return buf->is_user_allocated ? *(uint8_t *const *)(const void *)buf->addr_base.p : buf->addr_base.p;
}

/* Returns the address of the buffer's first byte. */
static inline uint8_t *LL_Buffer_addr_start(const LL_Buffer_InfoTypeDef *buf)
{
  return LL_Buffer_addr_base(buf) + buf->offset_start;
}

/* Returns the byte length of the buffer. */
static inline uint32_t LL_Buffer_len(const LL_Buffer_InfoTypeDef *buf)
{
  return (uint32_t)(buf->offset_end - buf->offset_start);
}

#ifdef __cplusplus
}
#endif

#endif /* LL_ZUNO_BUFFER_INFO_H */
