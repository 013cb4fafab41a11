# Large synthetic network for the performance measurements: its trace source is generated at build
# time (it is too large to keep in the tree) and traced by the target large_network_run.
# Included only when ZUNO_BUILD_BENCH is ON. Targets:
#   large_network        the trace program
#   large_network_run    runs it in run/large_network/ under /usr/bin/time -v when that exists
include_guard(GLOBAL)

# About 10^6 recorded register accesses: every processing unit, coefficient vectors over 384
# entries, activation tables, decompression codebooks, relocatable and absolute pools.
set(ZUNO_LARGE_NETWORK_ARGS
  --network synthetic --name large_network
  --blobs 64 --epochs-per-blob 48 --channels 448 --size 16 --seed 7)

set(large_dir ${CMAKE_CURRENT_BINARY_DIR}/large_network_src)
set(large_sources ${large_dir}/large_network.c ${large_dir}/large_network_mem_pools.c)
file(GLOB large_generator_modules ${CMAKE_CURRENT_SOURCE_DIR}/netgen/*.py)
add_custom_command(OUTPUT ${large_sources}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/gen_network.py ${ZUNO_LARGE_NETWORK_ARGS}
          --output-dir ${large_dir}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gen_network.py ${large_generator_modules}
  COMMENT "Generating the trace source of the large synthetic network"
  VERBATIM)
add_trace_runner(large_network SOURCES ${large_sources})

set(large_work_dir ${ZUNO_NETWORK_RUN_DIR}/large_network)
file(MAKE_DIRECTORY ${large_work_dir})
find_program(ZUNO_GNU_TIME NAMES time PATHS /usr/bin NO_DEFAULT_PATH)
if(ZUNO_GNU_TIME)
  set(large_timer ${ZUNO_GNU_TIME} -v)
else()
  set(large_timer)
endif()
add_custom_target(large_network_run
  COMMAND ${large_timer} $<TARGET_FILE:large_network>
  WORKING_DIRECTORY ${large_work_dir}
  DEPENDS large_network
  COMMENT "Tracing the large synthetic network in ${large_work_dir}"
  USES_TERMINAL
  VERBATIM)
