# SPDX-License-Identifier: GPL-3.0-or-later
# Runs TOOL with SCENARIO on standard input and fails unless it prints EXPECTED exactly.
execute_process(COMMAND ${TOOL} INPUT_FILE ${SCENARIO} OUTPUT_VARIABLE actual
                ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TOOL} exited with ${status}: ${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  file(WRITE ${ACTUAL} "${actual}")
  message(FATAL_ERROR "trace of ${SCENARIO} differs from ${EXPECTED}; got ${ACTUAL}")
endif()
