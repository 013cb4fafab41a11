;; first
label 0x1

foo 1 2
