# The ecforge command-line tool (asm, disasm, dump, convert) and its tests, which drive the built executable.

find_package(CLI11 CONFIG REQUIRED)

add_executable(ecforge_cli
  ${CMAKE_CURRENT_LIST_DIR}/cli/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/file_formats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_asm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_disasm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_dump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_convert.cpp)
set_target_properties(ecforge_cli PROPERTIES OUTPUT_NAME ecforge)
target_include_directories(ecforge_cli PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cli)
target_link_libraries(ecforge_cli PRIVATE ecforge CLI11::CLI11)

zuno_add_gtest(ecforge_cli_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/test_cli.cpp
  LIBS ecforge)
if(TARGET ecforge_cli_tests)
  add_dependencies(ecforge_cli_tests ecforge_cli)
  target_compile_definitions(ecforge_cli_tests PRIVATE
    ECFORGE_CLI_PATH="$<TARGET_FILE:ecforge_cli>"
    ECFORGE_IO_TEST_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/tests/data")
endif()
