# Runs quen in an empty folder, with DATA copied in as quendata.txt when given,
# and a results file left there by an earlier run. Compares the exit status and
# the whole of standard output and standard error byte for byte, and checks
# that a failed run leaves the earlier results file exactly as it was and that
# no other file is left in the folder.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
if(DATA)
  configure_file("${DATA}" "${WORK_DIR}/quendata.txt" COPYONLY)
endif()
set(earlier "results of an earlier run\n")
file(WRITE "${WORK_DIR}/quenresults.txt" "${earlier}")

# NO_FILE_WRITES: files cannot grow, as on a full disk. The signal that such
# a write raises is left at its default, which would end the process.
set(command "${QUEN}" ${ARGS})
if(NO_FILE_WRITES)
  # && rather than semicolons, which would split the CMake list.
  set(command sh -c "ulimit -f 0 && exec \"$0\" \"$@\"" ${command})
endif()
if(STDOUT_TO)
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE status OUTPUT_FILE "${STDOUT_TO}" ERROR_VARIABLE err)
  set(out "")
else()
  execute_process(COMMAND ${command} WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()

if(NOT status STREQUAL EXPECT_STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout: ${out}\nstderr: ${err}")
endif()
function(expect_stream name got expected_file)
  if(expected_file)
    file(READ "${expected_file}" expected)
    if(NOT got STREQUAL expected)
      message(FATAL_ERROR "${name} differs\n--- got ---\n[${got}]\n--- expected ---\n[${expected}]")
    endif()
  endif()
endfunction()
expect_stream(stdout "${out}" "${EXPECT_STDOUT}")
expect_stream(stderr "${err}" "${EXPECT_STDERR}")
if(NOT status EQUAL 0)
  file(READ "${WORK_DIR}/quenresults.txt" after)
  if(NOT after STREQUAL earlier)
    message(FATAL_ERROR "a failed run changed quenresults.txt")
  endif()
endif()
# Nothing left behind: no temporary file beside the results.
file(GLOB left RELATIVE "${WORK_DIR}" "${WORK_DIR}/*")
list(SORT left)
if(DATA)
  set(expected_files quendata.txt quenresults.txt)
else()
  set(expected_files quenresults.txt)
endif()
if(NOT left STREQUAL expected_files)
  message(FATAL_ERROR "the folder holds ${left}, expected ${expected_files}")
endif()
