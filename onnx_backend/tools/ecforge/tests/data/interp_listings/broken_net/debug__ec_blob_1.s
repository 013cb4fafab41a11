;; Start Blob '_ec_blob_1'
;; Start Epoch 1
label 0x1
write 3 7 0x3
write 3 5 0x1
write 3 6 0x2
write 3 9 AXISRAM1(0x100)
writefield 3 0 [4:5] 0x2
poll 3 1 [0] 0x1 100
;; End Epoch 1
;; Start Epoch 2
label 0x2
write 4 2 0x11
write 4 2 0x10
write 4 2 [8:15] 0xab
load 4 3 [0:7]
irq 0x0
;; End Blob '_ec_blob_1'
