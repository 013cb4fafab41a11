# Host interpreter of EC programs, the semantic comparison built on it, the `run` and `diff` subcommands of the tool, and their tests.

target_sources(ecforge PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/interpreter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/semantic_diff.cpp)

if(TARGET ecforge_tests)
  target_sources(ecforge_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_interpreter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_semantic_diff.cpp)
endif()

if(TARGET ecforge_cli)
  target_sources(ecforge_cli PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli/cmd_diff.cpp)
endif()

if(TARGET ecforge_cli_tests)
  target_sources(ecforge_cli_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests/test_cli_run_diff.cpp)
endif()
