# Runs a trace program of the test network twice in one directory and compares its header and
# listings with the golden files after each run; with EXPECT_STATIC the program must be static.
#   cmake -DRUNNER=<program> -DGOLDEN_DIR=<dir> -DWORK_DIR=<dir> [-DEXPECT_STATIC=1] -P run_trace_sample.cmake

set(outputs testnet_ecblobs.h)
foreach(blob _ec_blob_1 _ec_blob_3 _ec_blob_6 _ec_blob_9 _ec_blob_12)
  list(APPEND outputs debug_${blob}_initial.s debug_${blob}.s)
endforeach()

if(EXPECT_STATIC)
  execute_process(COMMAND ldd ${RUNNER} OUTPUT_VARIABLE ldd_out ERROR_VARIABLE ldd_out)
  if(NOT ldd_out MATCHES "not a dynamic executable|statically linked")
    message(FATAL_ERROR "${RUNNER} is not a static executable:\n${ldd_out}")
  endif()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# Longer stale files: each run must replace them entirely.
string(REPEAT "stale text\n" 5000 stale)
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
endforeach()
