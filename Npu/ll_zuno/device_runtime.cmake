# Device runtime: EC program loader, run loop, convolution reference, the stand-ins for the platform
# pieces they call, and their tests (host gtest, and firmware run natively or on the emulated M55).
include(ZunoFirmware)

get_filename_component(ZUNO_STANDINS_DIR ${CMAKE_CURRENT_LIST_DIR}/../../standins ABSOLUTE)

add_library(blob_loader STATIC ${CMAKE_CURRENT_LIST_DIR}/blob_loader.c)
target_include_directories(blob_loader PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_library(ll_zuno_probe STATIC ${CMAKE_CURRENT_LIST_DIR}/ll_zuno_probe.c)
target_include_directories(ll_zuno_probe PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(ll_zuno_probe PUBLIC m)

# The run loop's two assertions are part of its contract: they stay on in every build type, and
# report the file by its own name rather than by its path in the build.
add_library(ll_zuno_runloop STATIC ${CMAKE_CURRENT_LIST_DIR}/ll_zuno_runloop.c)
target_include_directories(ll_zuno_runloop PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(ll_zuno_runloop PUBLIC
  LL_ZUNO_SW_FALLBACK=1 LL_ZUNO_OSAL_BARE_METAL LL_ZUNO_RT_MODE=LL_ZUNO_RT_POLLING)
target_compile_options(ll_zuno_runloop PRIVATE -UNDEBUG -fmacro-prefix-map=${CMAKE_CURRENT_LIST_DIR}/=)

# Stand-ins for the platform: cache maintenance and the device runtime library, recording their calls.
add_library(standin_cache_maintenance STATIC ${ZUNO_STANDINS_DIR}/cache_maintenance/cache_recorder.c)
target_include_directories(standin_cache_maintenance PUBLIC ${ZUNO_STANDINS_DIR}/cache_maintenance)

add_library(standin_device_runtime STATIC
  ${ZUNO_STANDINS_DIR}/device_runtime/runtime_recorder.c
  ${ZUNO_STANDINS_DIR}/device_runtime/lib_recorder.c)
target_include_directories(standin_device_runtime PUBLIC ${ZUNO_STANDINS_DIR}/device_runtime)
target_link_libraries(standin_device_runtime PUBLIC ll_zuno_runloop ll_zuno_probe)

if(ZUNO_BUILD_TESTS)
  add_library(ec_test_image STATIC ${CMAKE_CURRENT_LIST_DIR}/tests/ec_test_image.c)
  target_include_directories(ec_test_image PUBLIC ${CMAKE_CURRENT_LIST_DIR}/tests ${CMAKE_CURRENT_LIST_DIR})

  if(NOT CMAKE_CROSSCOMPILING)
    zuno_add_gtest(device_runtime_tests
      SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/tests/test_blob_loader.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tests/test_runloop.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tests/test_probe.cpp
      LIBS blob_loader ll_zuno_runloop ll_zuno_probe standin_device_runtime ec_test_image)
  endif()

  zuno_add_firmware_test(device_runtime_firmware
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/fw_blob_loader.c
      ${CMAKE_CURRENT_LIST_DIR}/tests/fw_runloop.c
      ${CMAKE_CURRENT_LIST_DIR}/tests/fw_probe.c
      ${CMAKE_CURRENT_LIST_DIR}/tests/fw_blob_header.c
    LIBS blob_loader ll_zuno_runloop ll_zuno_probe standin_device_runtime standin_cache_maintenance
         ec_test_image)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/tests/example_networks/example_networks.cmake)  # recorded example headers on the device
