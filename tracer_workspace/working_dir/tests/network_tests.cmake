# Tests of the example networks.
