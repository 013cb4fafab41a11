// Tests of the EC assembler's program_optimize module.
