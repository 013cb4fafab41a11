// this function MUST be called ONLY ONCE once for initializing the network
bool LL_ZUNO_EC_Network_Init_net(void)
{
  memset(_ec_blob_3_prev_base_addrs, 0, 2 * sizeof(ECAddr));

  LL_ZUNO_Cache_NPU_Clean_Invalidate_Range((uintptr_t)_ec_blob_3, (uint32_t)56);
  LL_ZUNO_Cache_NPU_Clean_Invalidate_Range((uintptr_t)_ec_blob_5, (uint32_t)32);
  LL_ZUNO_Cache_NPU_Clean_Invalidate_Range((uintptr_t)_ec_blob_8, (uint32_t)40);

  unsigned int size;
  size = 14;

  if (!ec_copy_program((const uint8_t *)_ec_blob_3_reloc, (ECInstr *)_ec_blob_3, &size))
  {
    // TODO maybe generate/print error because it was not possible to copy the blob
    return false;
  }

  _ec_blob_3_reloc_table_ptr = ec_get_reloc_table_ptr((const uint8_t *)_ec_blob_3_reloc);

  size = 8;

  if (!ec_copy_program((const uint8_t *)_ec_blob_5_reloc, (ECInstr *)_ec_blob_5, &size))
  {
    // TODO maybe generate/print error because it was not possible to copy the blob
    return false;
  }

  const ECFileEntry *_ec_blob_5_reloc_table_ptr = ec_get_reloc_table_ptr((const uint8_t *)_ec_blob_5_reloc);

  size = 10;

  if (!ec_copy_program((const uint8_t *)_ec_blob_8_reloc, (ECInstr *)_ec_blob_8, &size))
  {
    // TODO maybe generate/print error because it was not possible to copy the blob
    return false;
  }

  const ECFileEntry *_ec_blob_8_reloc_table_ptr = ec_get_reloc_table_ptr((const uint8_t *)_ec_blob_8_reloc);

  if (!ec_reloc(_ec_blob_3_reloc_table_ptr, (ECInstr *)_ec_blob_3, _ec_blob_3_SRAM_NET_RELOC_IDX, (ECAddr)(uintptr_t)_ec_blob_3_SRAM_NET_BASE_SYMBOL, _ec_blob_3_prev_base_addrs + _ec_blob_3_SRAM_NET_RELOC_IDX))
  {
    // TODO maybe generate/print error because it was not possible to relocate the blob
    return false;
  }

  ECAddr base;
  base = 0;

  if (!ec_reloc(_ec_blob_5_reloc_table_ptr, (ECInstr *)_ec_blob_5, _ec_blob_5_SRAM_NET_RELOC_IDX, (ECAddr)(uintptr_t)_ec_blob_5_SRAM_NET_BASE_SYMBOL, &base))
  {
    // TODO maybe generate/print error because it was not possible to relocate the blob
    return false;
  }

  base = 0;

  if (!ec_reloc(_ec_blob_5_reloc_table_ptr, (ECInstr *)_ec_blob_5, _ec_blob_5_SPAN_A_RELOC_IDX, (ECAddr)(uintptr_t)_ec_blob_5_SPAN_A_BASE_SYMBOL, &base))
  {
    // TODO maybe generate/print error because it was not possible to relocate the blob
    return false;
  }

  base = 0;

  if (!ec_reloc(_ec_blob_8_reloc_table_ptr, (ECInstr *)_ec_blob_8, _ec_blob_8_SRAM_NET_RELOC_IDX, (ECAddr)(uintptr_t)_ec_blob_8_SRAM_NET_BASE_SYMBOL, &base))
  {
    // TODO maybe generate/print error because it was not possible to relocate the blob
    return false;
  }

  LL_ZUNO_Cache_MCU_Clean_Range((uintptr_t)_ec_blob_3, (uint32_t)56);
  LL_ZUNO_Cache_MCU_Clean_Range((uintptr_t)_ec_blob_5, (uint32_t)32);
  LL_ZUNO_Cache_MCU_Clean_Range((uintptr_t)_ec_blob_8, (uint32_t)40);

  return true;
}

// this function should be called before each inference
bool LL_ZUNO_EC_Inference_Init_net(void)
{
  LL_ZUNO_Cache_NPU_Clean_Invalidate_Range((uintptr_t)_ec_blob_3, (uint32_t)56);

  if (!ec_reloc(_ec_blob_3_reloc_table_ptr, (ECInstr *)_ec_blob_3, _ec_blob_3_SRAM_INF_RELOC_IDX, (ECAddr)(uintptr_t)_ec_blob_3_SRAM_INF_BASE_SYMBOL, _ec_blob_3_prev_base_addrs + _ec_blob_3_SRAM_INF_RELOC_IDX))
  {
    // TODO maybe generate/print error because it was not possible to relocate the blob
    return false;
  }

  LL_ZUNO_Cache_MCU_Clean_Range((uintptr_t)_ec_blob_3, (uint32_t)56);

  return true;
}

