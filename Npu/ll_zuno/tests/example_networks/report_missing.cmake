# Fails a test whose inputs come from another build tree that has not made them yet.
message(FATAL_ERROR "${MESSAGE}")
