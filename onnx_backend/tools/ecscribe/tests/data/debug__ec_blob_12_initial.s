;; Start Blob '_ec_blob_12'
;; Start Epoch 12
label 0xc
write 7 2 SRAM_NET(0x4000)
;; End Epoch 12
irq 0x0
;; End Blob '_ec_blob_12'
