# add_trace_runner(<target> SOURCES <files...>)
# Builds a static trace program from a network's trace source (blob functions, main and its
# memory-pool table) against the trace-platform driver, the register-space binding and the recorder.
function(add_trace_runner target)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "add_trace_runner(${target}): SOURCES is empty")
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE zuno_trace_platform)
  if(NOT ZUNO_SANITIZE)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()
