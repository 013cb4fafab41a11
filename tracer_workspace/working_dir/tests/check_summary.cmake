# Runs the blob summary on the golden runs of both example networks and compares it with the
# expected text; a directory without a header is an error with exit status 1.
#   cmake -DPYTHON=<python3> -DSUMMARY=<ec_blob_summary.py> -DGOLDEN_DIR=<dir> -P check_summary.cmake

foreach(net face_detection keyword_spotting)
  execute_process(COMMAND ${PYTHON} ${SUMMARY} ${net} ${net} WORKING_DIRECTORY ${GOLDEN_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "summary of ${net} failed (${status}):\n${out}${err}")
  endif()
  file(READ ${GOLDEN_DIR}/${net}_summary.txt expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "summary of ${net} differs from ${GOLDEN_DIR}/${net}_summary.txt:\n${out}")
  endif()
endforeach()

execute_process(COMMAND ${PYTHON} ${SUMMARY} no_such_dir face_detection WORKING_DIRECTORY ${GOLDEN_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT err MATCHES "^ec_blob_summary.py: no header no_such_dir/face_detection_ecblobs.h: run the trace program of face_detection first\n$")
  message(FATAL_ERROR "missing header: status ${status}, stderr:\n${err}")
endif()
