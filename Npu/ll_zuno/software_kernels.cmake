# Software kernels swk_float and swk_integer, the stand-in layer kernel library they call in this build,
# and their tests: a GoogleTest executable on the host and a firmware test on the emulated Cortex-M55.

set(ZUNO_LAYER_KERNEL_LIBRARY_STANDIN_DIR ${PROJECT_SOURCE_DIR}/standins/layer_kernel_library)

# Test double of the closed device library: records each kernel call for the tests to inspect.
add_library(layer_kernel_library_standin STATIC
  ${ZUNO_LAYER_KERNEL_LIBRARY_STANDIN_DIR}/layer_kernel_call_record.c
  ${ZUNO_LAYER_KERNEL_LIBRARY_STANDIN_DIR}/layer_kernel_kernels.c
  ${ZUNO_LAYER_KERNEL_LIBRARY_STANDIN_DIR}/layer_kernel_element_ops.c)
target_include_directories(layer_kernel_library_standin PUBLIC ${ZUNO_LAYER_KERNEL_LIBRARY_STANDIN_DIR})
target_link_libraries(layer_kernel_library_standin PRIVATE m)

# The library the adapters are linked against; a firmware build with the real library names it here.
set(ZUNO_LAYER_KERNEL_LIBRARY layer_kernel_library_standin CACHE STRING
    "Target or library file providing the layer kernel library to the software kernels")

add_library(swk_float STATIC
  ${CMAKE_CURRENT_LIST_DIR}/swk_float.c
  ${CMAKE_CURRENT_LIST_DIR}/swk_layer_objects.c)
target_include_directories(swk_float PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(swk_float PUBLIC ${ZUNO_LAYER_KERNEL_LIBRARY} PRIVATE m)

add_library(swk_integer STATIC ${CMAKE_CURRENT_LIST_DIR}/swk_integer.c)
target_include_directories(swk_integer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(swk_integer PUBLIC swk_float)

if(NOT CMAKE_CROSSCOMPILING)
  zuno_add_gtest(swk_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/test_swk_float.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/test_swk_batchnorm.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/test_swk_integer.cpp
    LIBS swk_float swk_integer layer_kernel_library_standin)
endif()

# A representative set of the same cases as plain C, run on the emulated Cortex-M55 (and natively on the host).
include(ZunoFirmware)
zuno_add_firmware_test(swk_firmware
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/fw_swk.c
  LIBS swk_float swk_integer layer_kernel_library_standin)
