# Runs a trace program whose outputs cannot be written and checks that it stops with the report of
# the file concerned and a failing exit status. Arguments: -DPROGRAM=<trace program> -DNET=<network>
# -DWORK_DIR=<scratch directory>.

function(expect_failure case_name setup_kind setup_name expected)
  set(dir ${WORK_DIR}/${case_name})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  if(setup_kind STREQUAL "full")
    file(CREATE_LINK /dev/full ${dir}/${setup_name} SYMBOLIC)
  else()
    file(MAKE_DIRECTORY ${dir}/${setup_name})
  endif()
  execute_process(COMMAND ${PROGRAM} WORKING_DIRECTORY ${dir}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(status EQUAL 0)
    message(FATAL_ERROR "${case_name}: the trace program succeeded although '${setup_name}' cannot be written")
  endif()
  string(FIND "${out}${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${case_name}: expected the report '${expected}', got:\n${out}${err}")
  endif()
  file(REMOVE_RECURSE ${dir})
endfunction()

expect_failure(header_on_full_device full ${NET}_ecblobs.h "Error: Cannot write to file '${NET}_ecblobs.h'")
expect_failure(header_not_creatable dir ${NET}_ecblobs.h "Error: Cannot open file '${NET}_ecblobs.h'")
expect_failure(listing_on_full_device full debug__ec_blob_1_initial.s "Cannot write to file 'debug__ec_blob_1_initial.s'")
expect_failure(final_listing_not_creatable dir debug__ec_blob_1.s "Cannot open file 'debug__ec_blob_1.s'")
