# Runs `ecforge diff` on every pair of blob listings that the example networks' trace programs
# recorded: debug_<blob>_initial.s (before optimisation) against debug_<blob>.s (the final program).
# Every pair must be equivalent. Each network named in NETWORKS must have recorded its listings;
# other work directories of RUN_DIR are checked when they hold listings. Usage:
#   cmake -DECFORGE=<ecforge executable> -DRUN_DIR=<directory with one work directory per network>
#         -DNETWORKS=<net;...> -P diff_network_listings.cmake

foreach(var ECFORGE RUN_DIR NETWORKS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(GLOB work_dirs LIST_DIRECTORIES true "${RUN_DIR}/*")
set(networks 0)
set(pairs 0)
set(failures "")
foreach(work_dir IN LISTS work_dirs)
  if(NOT IS_DIRECTORY "${work_dir}")
    continue()
  endif()
  get_filename_component(net "${work_dir}" NAME)
  file(GLOB listings RELATIVE "${work_dir}" "${work_dir}/debug_*.s")
  if(NOT listings)
    # A network configured but not recorded yet matters only when it is one of those required.
    continue()
  endif()
  list(REMOVE_ITEM NETWORKS "${net}")
  math(EXPR networks "${networks} + 1")
  foreach(listing IN LISTS listings)
    if(listing MATCHES "_initial\\.s$")
      string(REGEX REPLACE "_initial\\.s$" ".s" final "${listing}")
      if(NOT EXISTS "${work_dir}/${final}")
        string(APPEND failures "${net}: ${listing} has no final listing ${final}\n")
        continue()
      endif()
      execute_process(COMMAND "${ECFORGE}" diff "${listing}" "${final}"
                      WORKING_DIRECTORY "${work_dir}"
                      RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
      math(EXPR pairs "${pairs} + 1")
      string(STRIP "${out}" verdict)
      message(STATUS "${net}/${listing}: ${verdict}")
      if(NOT status EQUAL 0)
        string(APPEND failures "${net}: ${listing} and ${final} (exit ${status}):\n${out}${err}")
      endif()
    else()
      string(REGEX REPLACE "\\.s$" "_initial.s" initial "${listing}")
      if(NOT EXISTS "${work_dir}/${initial}")
        string(APPEND failures "${net}: ${listing} has no initial listing ${initial}\n")
      endif()
    endif()
  endforeach()
endforeach()

foreach(net IN LISTS NETWORKS)
  string(APPEND failures "${net}: no blob listings in ${RUN_DIR}/${net}: build the target ${net}_ecblobs first\n")
endforeach()
if(failures)
  # Printed as is: the reports of the tool keep their lines.
  message(NOTICE "Listings that are missing, not paired or not equivalent:\n${failures}")
  message(FATAL_ERROR "The example networks' listings are not all equivalent")
endif()
message(STATUS "${pairs} listing pairs of ${networks} networks are equivalent")
