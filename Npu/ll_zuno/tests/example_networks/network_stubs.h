/* The generated network functions that an example network's test firmware needs besides its blob header. */
#ifndef NETWORK_STUBS_H
#define NETWORK_STUBS_H

#include <stddef.h>
#include <stdint.h>

#include "ll_zuno_runloop.h"

/* Defines, for network net, the user buffer accessors (one input and one output, both absent), an
 * empty epoch-block table and empty buffer tables: the recording runtime stand-in runs no epochs. */
#define NETWORK_STUBS(net)                                                                            \
  static const EpochBlock_ItemTypeDef net##_epoch_blocks[1] = { { NULL, NULL, 0, 0, 0 } };           \
  static const LL_Buffer_InfoTypeDef net##_buffers[1];                                               \
  LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Input_Buffer_##net(uint32_t num, void *buffer, uint32_t size) \
  {                                                                                                  \
    (void)buffer;                                                                                    \
    (void)size;                                                                                      \
    return num == 0 ? LL_ZUNO_User_IO_NOERROR : LL_ZUNO_User_IO_WRONG_INDEX;                         \
  }                                                                                                  \
  void *LL_ZUNO_Get_User_Input_Buffer_##net(uint32_t num)                                            \
  {                                                                                                  \
    (void)num;                                                                                       \
    return NULL;                                                                                     \
  }                                                                                                  \
  LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Output_Buffer_##net(uint32_t num, void *buffer, uint32_t size) \
  {                                                                                                  \
    return LL_ZUNO_Set_User_Input_Buffer_##net(num, buffer, size);                                   \
  }                                                                                                  \
  void *LL_ZUNO_Get_User_Output_Buffer_##net(uint32_t num)                                           \
  {                                                                                                  \
    return LL_ZUNO_Get_User_Input_Buffer_##net(num);                                                 \
  }                                                                                                  \
  const EpochBlock_ItemTypeDef *LL_ZUNO_EpochBlockItems_##net(void)                                  \
  {                                                                                                  \
    return net##_epoch_blocks;                                                                       \
  }                                                                                                  \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Output_Buffers_Info_##net(void)                               \
  {                                                                                                  \
    return net##_buffers;                                                                            \
  }                                                                                                  \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Input_Buffers_Info_##net(void)                                \
  {                                                                                                  \
    return net##_buffers;                                                                            \
  }                                                                                                  \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Internal_Buffers_Info_##net(void)                             \
  {                                                                                                  \
    return net##_buffers;                                                                            \
  }

#endif /* NETWORK_STUBS_H */
