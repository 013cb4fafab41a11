// Tests of the bit-field helpers over packed word streams.
