# Runs a network's trace program twice in a fresh work directory seeded with longer stale files;
# after each run the header and every listing must equal the golden files byte for byte.
#   cmake -DRUNNER=<program> -DNETWORK=<net> -DBLOBS=<n;n;...> -DGOLDEN_DIR=<dir> -DWORK_DIR=<dir>
#         [-DEXPECT_STATIC=1] -P run_network.cmake

set(outputs ${NETWORK}_ecblobs.h)
foreach(blob IN LISTS BLOBS)
  list(APPEND outputs debug__ec_blob_${blob}_initial.s debug__ec_blob_${blob}.s)
endforeach()

if(EXPECT_STATIC)
  execute_process(COMMAND ldd ${RUNNER} OUTPUT_VARIABLE ldd_out ERROR_VARIABLE ldd_out)
  if(NOT ldd_out MATCHES "not a dynamic executable|statically linked")
    message(FATAL_ERROR "${RUNNER} is not a static executable:\n${ldd_out}")
  endif()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
string(REPEAT "stale text\n" 100000 stale)
foreach(output IN LISTS outputs)
  file(WRITE ${WORK_DIR}/${output} "${stale}")
endforeach()

foreach(run first second)
  execute_process(COMMAND ${RUNNER} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${run} run of ${RUNNER} failed (${status}):\n${out}${err}")
  endif()
  foreach(output IN LISTS outputs)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${output} ${GOLDEN_DIR}/${output}
                    RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "${run} run: ${output} differs from ${GOLDEN_DIR}/${output}")
    endif()
  endforeach()
  file(GLOB produced RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
  list(LENGTH produced produced_count)
  list(LENGTH outputs expected_count)
  if(NOT produced_count EQUAL expected_count)
    message(FATAL_ERROR "${run} run: ${produced_count} files in ${WORK_DIR}, expected ${expected_count}: ${produced}")
  endif()
endforeach()
