"""Generator of the trace sources and memory-pool tables of the example networks."""
