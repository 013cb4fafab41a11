;; Start Blob '_ec_blob_1'
;; Start Epoch 1
label 0x1
;; End Epoch 1
irq 0x0
;; End Blob '_ec_blob_1'
