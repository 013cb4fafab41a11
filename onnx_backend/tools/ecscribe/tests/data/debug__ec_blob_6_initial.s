;; Start Blob '_ec_blob_6'
;; Start Epoch 6
label 0x6
write 6 2 SRAM_INF(0x200)
write 6 3 ACT_INF(0x40)
write 13 2 SRAM_NET(0x1800)
write 13 3 SRAM_INF(0x300)
write 13 0 0x80000001
poll 6 0 [31] 0x0 100
poll 13 0 [31] 0x0 100
;; End Epoch 6
irq 0x0
;; End Blob '_ec_blob_6'
