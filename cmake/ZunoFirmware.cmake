# Test firmware that runs on the emulated Cortex-M55 board and, from the same sources, on the host.
#   zuno_add_firmware_test(<name> SOURCES <files...> [LIBS <targets...>])
# The sources are plain C test cases written with the check harness "zuno_check.h" (ZUNO_TEST,
# ZUNO_CHECK...); the harness supplies main, which runs every case and prints "N passed, N failed".
# Cross build: <name>.elf for the mps3-an547 board, run by CTest under qemu-system-arm with
# semihosting (the exit code of main becomes the emulator's). Host build: a plain test program.
include_guard(GLOBAL)

get_filename_component(ZUNO_FIRMWARE_TARGET_DIR ${CMAKE_CURRENT_LIST_DIR}/../Npu/ll_zuno/tests/target ABSOLUTE)
set(ZUNO_FIRMWARE_TIMEOUT 30 CACHE STRING "Time limit in seconds of one emulated firmware test")

if(ZUNO_BUILD_TESTS)
  add_library(zuno_check OBJECT
    ${ZUNO_FIRMWARE_TARGET_DIR}/zuno_check.c
    ${ZUNO_FIRMWARE_TARGET_DIR}/zuno_assert_capture.c)
  target_include_directories(zuno_check PUBLIC ${ZUNO_FIRMWARE_TARGET_DIR})

  if(CMAKE_CROSSCOMPILING)
    find_program(ZUNO_QEMU_SYSTEM_ARM qemu-system-arm REQUIRED)
    set(ZUNO_FIRMWARE_LINKER_SCRIPT ${ZUNO_FIRMWARE_TARGET_DIR}/mps3_an547.ld)
    add_library(zuno_an547_startup OBJECT ${ZUNO_FIRMWARE_TARGET_DIR}/startup_an547.c)
    target_link_options(zuno_an547_startup INTERFACE -nostartfiles -T${ZUNO_FIRMWARE_LINKER_SCRIPT})
  endif()
endif()

function(zuno_add_firmware_test name)
  if(NOT ZUNO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "zuno_add_firmware_test(${name}): SOURCES is empty")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zuno_check ${ARG_LIBS})
  if(CMAKE_CROSSCOMPILING)
    target_link_libraries(${name} PRIVATE zuno_an547_startup m)
    set_target_properties(${name} PROPERTIES SUFFIX ".elf" LINK_DEPENDS ${ZUNO_FIRMWARE_LINKER_SCRIPT})
    add_test(NAME ${name}
             COMMAND ${ZUNO_QEMU_SYSTEM_ARM} -M mps3-an547 -nographic
                     -semihosting-config enable=on,target=native -kernel $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ZUNO_FIRMWARE_TIMEOUT})
endfunction()
