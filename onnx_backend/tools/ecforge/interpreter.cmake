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

# Every blob of the example networks: its listing before optimisation and its final program are
# equivalent. The trace programs record the listings into run/<net>/ of the networks' build directory.
if(TARGET ecforge_cli AND ZUNO_BUILD_TESTS AND EXISTS ${PROJECT_SOURCE_DIR}/tracer_workspace/working_dir/CMakeLists.txt)
  add_test(NAME ecforge_diff_network_listings
           COMMAND ${CMAKE_COMMAND} -DECFORGE=$<TARGET_FILE:ecforge_cli>
                   -DRUN_DIR=${PROJECT_BINARY_DIR}/tracer_workspace/working_dir/run
                   "-DNETWORKS=face_detection;keyword_spotting"
                   -P ${CMAKE_CURRENT_LIST_DIR}/tests/diff_network_listings.cmake)
endif()
if(TARGET ecforge_cli AND ZUNO_BUILD_TESTS)
  # The check itself: a pair that differs, a listing without its partner and a network without
  # listings are all reported.
  add_test(NAME ecforge_diff_network_listings_reports_differences
           COMMAND ${CMAKE_COMMAND} -DECFORGE=$<TARGET_FILE:ecforge_cli>
                   -DRUN_DIR=${CMAKE_CURRENT_LIST_DIR}/tests/data/interp_listings
                   "-DNETWORKS=broken_net;missing_net"
                   -P ${CMAKE_CURRENT_LIST_DIR}/tests/diff_network_listings.cmake)
  set_tests_properties(ecforge_diff_network_listings_reports_differences PROPERTIES
    PASS_REGULAR_EXPRESSION
    "broken_net: debug__ec_blob_1_initial.s and debug__ec_blob_1.s \\(exit 1\\):\nThe programs differ at unit 4 register 2.*broken_net: debug__ec_blob_2.s has no initial listing debug__ec_blob_2_initial.s\nmissing_net: no blob listings")
endif()
