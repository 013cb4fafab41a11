// Tests of the stream switch driver: route values and the recorded set-up and tear-down.
