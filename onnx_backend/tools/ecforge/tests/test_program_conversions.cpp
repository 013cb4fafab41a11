// Tests of the EC assembler's program_conversions module.
