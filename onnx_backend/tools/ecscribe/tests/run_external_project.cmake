# Configures and builds a project that adds the tool chain with add_subdirectory and builds the test
# network's trace program with add_trace_runner, then runs that program against the golden files.
#   cmake -DZUNO_SOURCE_DIR=<repo> -DTESTS_DIR=<ecscribe tests> -DBUILD_DIR=<dir> -P run_external_project.cmake

file(REMOVE_RECURSE ${BUILD_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${TESTS_DIR}/external_project -B ${BUILD_DIR} -G Ninja -DCMAKE_BUILD_TYPE=Release
          -DZUNO_SOURCE_DIR=${ZUNO_SOURCE_DIR} -DTRACE_SAMPLE_DIR=${TESTS_DIR}/trace_sample
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the external project failed:\n${out}${err}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target external_trace_runner -- -j2
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building the external trace program failed:\n${out}${err}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -DRUNNER=${BUILD_DIR}/external_trace_runner -DGOLDEN_DIR=${TESTS_DIR}/data
          -DWORK_DIR=${BUILD_DIR}/run -DEXPECT_STATIC=1 -P ${TESTS_DIR}/run_trace_sample.cmake
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the external trace program did not produce the golden files:\n${out}${err}")
endif()
