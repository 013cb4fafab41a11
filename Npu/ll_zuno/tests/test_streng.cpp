// Tests of the stream engine driver: register values and the recorded write sequence.
