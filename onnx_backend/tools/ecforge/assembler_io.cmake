# EC binary file image and writers, whole-program conversions and the optimiser of the EC assembler.

target_sources(ecforge PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/binary_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/binary_file_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_conversions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_optimize.cpp)

if(TARGET ecforge_tests)
  target_sources(ecforge_tests PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_binary_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_program_conversions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/test_program_optimize.cpp)
  target_compile_definitions(ecforge_tests PRIVATE
    ECFORGE_IO_TEST_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/tests/data")
endif()
