# Driver core of ll_zuno for the trace platform: register map, core, stream engines, stream switch,
# bit-field helpers and the register-space binding, with their tests.
if(NOT CMAKE_CROSSCOMPILING)
  set(_zuno_drv_dir ${CMAKE_CURRENT_LIST_DIR})
  get_filename_component(_zuno_repo_dir "${_zuno_drv_dir}/../.." ABSOLUTE)
  set(_zuno_ecscribe_dir ${_zuno_repo_dir}/onnx_backend/tools/ecscribe)

  # Bit-field read and write over packed word streams.
  add_library(ll_zuno_bits STATIC ${_zuno_drv_dir}/ll_zuno_bits.c)
  target_include_directories(ll_zuno_bits PUBLIC ${_zuno_drv_dir})

  # Register-space binding: the fake register block and the translation of accesses for the recorder.
  add_library(ll_zuno_binding STATIC ${_zuno_drv_dir}/ll_zuno_binding.c)
  target_include_directories(ll_zuno_binding PUBLIC ${_zuno_drv_dir} ${_zuno_ecscribe_dir})
  target_compile_definitions(ll_zuno_binding PUBLIC LL_ZUNO_TRACE_PLATFORM=1)

  # The driver built for the trace platform; the unit drivers add their sources from driver_units.cmake.
  add_library(ll_zuno STATIC
    ${_zuno_drv_dir}/ll_zuno_access_trace.c
    ${_zuno_drv_dir}/ll_zuno_core.c
    ${_zuno_drv_dir}/ll_zuno_ports.c
    ${_zuno_drv_dir}/ll_zuno_streng.c
    ${_zuno_drv_dir}/ll_zuno_switch.c)
  target_include_directories(ll_zuno PUBLIC ${_zuno_drv_dir} ${_zuno_ecscribe_dir})
  target_link_libraries(ll_zuno PUBLIC ll_zuno_binding ll_zuno_bits)

  # Everything a network's trace program links: driver, binding, bit helpers and the recorder.
  # The binding and the recorder call each other (ec_trace_init allocates the register space), so
  # they are linked as one group whatever the trace program happens to reference first.
  add_library(zuno_trace_platform INTERFACE)
  if(TARGET ecscribe)
    target_link_libraries(zuno_trace_platform INTERFACE
      ll_zuno "$<LINK_GROUP:RESCAN,ll_zuno_binding,ecscribe>" ll_zuno_bits)
  else()
    target_link_libraries(zuno_trace_platform INTERFACE ll_zuno ll_zuno_binding ll_zuno_bits)
  endif()

  # Driver tests against a test recorder that prints each recorded access as EC assembly text.
  zuno_add_gtest(ll_zuno_tests
    SOURCES
      ${_zuno_drv_dir}/tests/test_recorder.cpp
      ${_zuno_drv_dir}/tests/test_binding.cpp
      ${_zuno_drv_dir}/tests/test_bits.cpp
      ${_zuno_drv_dir}/tests/test_driver_core.cpp
      ${_zuno_drv_dir}/tests/test_streng.cpp
      ${_zuno_drv_dir}/tests/test_switch.cpp
    LIBS ll_zuno)
  if(TARGET ll_zuno_tests)
    target_include_directories(ll_zuno_tests PRIVATE ${_zuno_drv_dir}/tests)
  endif()
endif()
