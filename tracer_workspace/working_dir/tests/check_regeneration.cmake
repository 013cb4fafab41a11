# Regenerates a network's trace source and memory-pool table into a scratch directory and requires
# them to equal the checked-in files byte for byte.
#   cmake -DPYTHON=<python3> -DGENERATOR=<gen_network.py> -DNETWORK=<net> -DSOURCE_DIR=<dir>
#         -DWORK_DIR=<dir> -P check_regeneration.cmake

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${PYTHON} ${GENERATOR} --network ${NETWORK} --output-dir ${WORK_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "generator failed (${status}):\n${out}${err}")
endif()
foreach(file ${NETWORK}.c ${NETWORK}_mem_pools.c)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${file} ${SOURCE_DIR}/${file}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "regenerated ${file} differs from ${SOURCE_DIR}/${file}; run "
                        "gen_network.py --network ${NETWORK} --output-dir ${SOURCE_DIR}")
  endif()
endforeach()
