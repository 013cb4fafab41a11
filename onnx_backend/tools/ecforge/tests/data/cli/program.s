;; Start Epoch 1
label 0x1
write 3 12 0x10
write 3 14 [0:7] pool_a(0x40)
write 3 13 0x20
writefield 0 4 [3:6] 0xa
burstwrite 2 8 0x1 pool_b(0x2)
burstwriteinc 2 9 0x3
poll 5 0 [31] 0x0 100
load 1 2 [8:15]
loadclr 1 3
store 1 4
;; two
;; lines
mod [4:7] 0x5
modclr pool_a(0x3)
wfi 2 1000
wft 1 0x3 5
irq 0x0
irqna 0x2
restart 0x3
stop 0x0
;; End
