;; Start Blob '_ec_blob_86'
;; Start Epoch 86
label 0x56
;; End Epoch 86
;; Start Epoch 87
label 0x57
;; End Epoch 87
irq 0x0
;; End Blob '_ec_blob_86'
