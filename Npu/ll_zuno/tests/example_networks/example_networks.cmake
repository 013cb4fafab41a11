# Firmware test of the example networks' recorded blob headers: the host build records each header,
# computes with reloc_expect_gen what the device must hold after its init functions ran, and puts
# both files in <host build>/example_networks_device/; the firmware test compiles them natively in the
# host build and, in the Cortex-M55 build, from the host build tree named by ZUNO_HOST_BUILD_DIR.
if(NOT ZUNO_BUILD_TESTS)
  return()
endif()

set(_example_dir ${CMAKE_CURRENT_LIST_DIR})
set(_example_networks face_detection keyword_spotting)
set(_example_device_subdir example_networks_device)
set(_example_sources
  ${_example_dir}/reloc_expect_check.c
  ${_example_dir}/fw_face_detection.c
  ${_example_dir}/fw_keyword_spotting.c)
set(_example_libs blob_loader ll_zuno_runloop standin_device_runtime standin_cache_maintenance)

if(NOT CMAKE_CROSSCOMPILING)
  set(_example_out_dir ${PROJECT_BINARY_DIR}/${_example_device_subdir})
  file(MAKE_DIRECTORY ${_example_out_dir})
  set(_example_generated)
  foreach(net IN LISTS _example_networks)
    # One generator per network: it links the network's pool table.
    add_executable(${net}_reloc_expect_gen
      ${_example_dir}/reloc_expect_gen.cpp
      ${PROJECT_SOURCE_DIR}/tracer_workspace/working_dir/${net}_mem_pools.c)
    target_include_directories(${net}_reloc_expect_gen PRIVATE $<TARGET_PROPERTY:ecscribe,INTERFACE_INCLUDE_DIRECTORIES>)
    target_link_libraries(${net}_reloc_expect_gen PRIVATE ecforge)

    set(recorded $<TARGET_PROPERTY:${net}_ecblobs_headers,INTERFACE_INCLUDE_DIRECTORIES>/${net}_ecblobs.h)
    add_custom_command(
      OUTPUT ${_example_out_dir}/${net}_reloc_expect.h ${_example_out_dir}/${net}_ecblobs.h
      COMMAND ${net}_reloc_expect_gen ${recorded} ${net} ${_example_out_dir}/${net}_reloc_expect.h
      COMMAND ${CMAKE_COMMAND} -E copy ${recorded} ${_example_out_dir}/${net}_ecblobs.h
      DEPENDS ${net}_reloc_expect_gen ${net}_ecblobs ${recorded}
      COMMENT "Computing the device expectations of the ${net} blob header")
    list(APPEND _example_generated ${_example_out_dir}/${net}_reloc_expect.h ${_example_out_dir}/${net}_ecblobs.h)
  endforeach()
  add_custom_target(example_networks_device_files ALL DEPENDS ${_example_generated})

  add_test(NAME reloc_expect_gen_errors
           COMMAND ${CMAKE_COMMAND} -DGEN=$<TARGET_FILE:keyword_spotting_reloc_expect_gen>
                   -DSAMPLE=${CMAKE_CURRENT_LIST_DIR}/../tiny_ecblobs.h
                   -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/reloc_expect_gen_errors
                   -P ${_example_dir}/gen_errors.cmake)

  zuno_add_firmware_test(example_networks_firmware SOURCES ${_example_sources} LIBS ${_example_libs})
  target_include_directories(example_networks_firmware PRIVATE ${_example_dir} ${_example_out_dir})
  add_dependencies(example_networks_firmware example_networks_device_files)
  return()
endif()

set(ZUNO_HOST_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/host" CACHE PATH
    "Host build tree that recorded the example network headers used by the firmware tests")
set(_example_in_dir ${ZUNO_HOST_BUILD_DIR}/${_example_device_subdir})
set(_example_missing)
foreach(net IN LISTS _example_networks)
  foreach(file ${net}_ecblobs.h ${net}_reloc_expect.h)
    if(NOT EXISTS ${_example_in_dir}/${file})
      list(APPEND _example_missing ${_example_in_dir}/${file})
    endif()
  endforeach()
endforeach()

if(_example_missing)
  # Without the host's files the test still exists, and fails saying what to do.
  list(JOIN _example_missing ", " _example_missing_text)
  set(_example_message "Missing ${_example_missing_text}: build the host tree ${ZUNO_HOST_BUILD_DIR} first (make check-host), then configure this build again")
  message(WARNING "example_networks_firmware: ${_example_message}")
  add_test(NAME example_networks_firmware
           COMMAND ${CMAKE_COMMAND} "-DMESSAGE=${_example_message}" -P ${_example_dir}/report_missing.cmake)
  return()
endif()

zuno_add_firmware_test(example_networks_firmware SOURCES ${_example_sources} LIBS ${_example_libs})
target_include_directories(example_networks_firmware PRIVATE ${_example_dir} ${_example_in_dir})
