;; Start Blob '_ec_blob_9'
;; Start Epoch 9
label 0x9
write 5 2 SPAN_A(0x10)
write 5 3 SRAM_NET(0x20)
;; End Epoch 9
;; Start Epoch 10
label 0xa
;; End Epoch 10
irq 0x0
;; End Blob '_ec_blob_9'
