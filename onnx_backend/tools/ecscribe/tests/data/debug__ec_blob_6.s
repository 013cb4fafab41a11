label 0x6
burstwriteinc 6 2 SRAM_INF(0x200) ACT_INF(0x40)
burstwriteinc 13 2 SRAM_NET(0x1800) SRAM_INF(0x300)
write 13 0 0x80000001
poll 6 0 [31] 0x0 100
poll 13 0 [31] 0x0 100
irq 0x0
