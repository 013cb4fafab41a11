// Tests of the register-space binding: unit and register ids, whole and relocatable writes, epoch-end waits.
