;; Start Blob '_ec_blob_3'
;; Start Epoch 3
label 0x3
;; End Epoch 3
;; Start Epoch 4
label 0x4
write 24 7 0x11
write 24 5 0x22
write 24 6 0x33
;; Block ECFORGE optimizations to move reg writes pass this point
write 24 16 0x44
write 24 16 0x55
write 11 2 0x70001000
write 11 3 0x400
writefield 0 4 [11] 0x1
write 11 0 0x80000001
poll 11 0 [31] 0x0 100
;; End Epoch 4
irq 0x0
;; End Blob '_ec_blob_3'
