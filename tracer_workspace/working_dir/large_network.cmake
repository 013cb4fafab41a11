# Large synthetic network for the performance measurements, generated at build time (its trace
# source is too large to keep in the tree). Included only when ZUNO_BUILD_BENCH is ON. Besides the
# targets of every network (large_network, large_network_ecblobs, run_large_network):
#   time_large_network   traces it again in run/large_network/ under /usr/bin/time -v, which
#                        prints the wall time and the peak memory
include_guard(GLOBAL)

# About 10^6 recorded register accesses in 64 blobs of 48 epochs: every processing unit,
# coefficient vectors of 448 entries, activation tables, decompression codebooks, relocatable
# and absolute pools.
set(ZUNO_LARGE_NETWORK_ARGS --blobs 64 --epochs-per-blob 48 --channels 448 --size 16 --seed 7)
zuno_add_generated_network(large_network ARGS ${ZUNO_LARGE_NETWORK_ARGS})

find_program(ZUNO_GNU_TIME NAMES time PATHS /usr/bin NO_DEFAULT_PATH)
if(ZUNO_GNU_TIME)
  set(large_network_timer ${ZUNO_GNU_TIME} -v)
else()
  message(STATUS "/usr/bin/time not found: time_large_network runs the trace program untimed")
  set(large_network_timer)
endif()
add_custom_target(time_large_network
  COMMAND ${large_network_timer} $<TARGET_FILE:large_network>
  WORKING_DIRECTORY ${ZUNO_NETWORK_RUN_DIR}/large_network
  DEPENDS large_network
  COMMENT "Tracing the large synthetic network under /usr/bin/time -v"
  USES_TERMINAL
  VERBATIM)
