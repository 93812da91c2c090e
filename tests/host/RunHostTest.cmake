# Runs the host once for an end-to-end test (cmake -P RunHostTest.cmake with these definitions):
#   HOST         the host executable
#   IMAGES_TOOL  tolvane-test-images, which writes the fixture images
#   WORK         the test's own folder, emptied first: settings in WORK/config, images in
#                WORK/images (the scripts' ${IMAGES}), and the home folder the dialog starts in
#   STATUS       the exit status the host must end with
#   SCRIPT       the script to run with --script (optional)
#   ARGS         further arguments, separated by '|' (optional)
#   OUTPUT       a regular expression that standard output must match (optional)
#   ERRORS       a regular expression that standard error must match (optional)
#   ABSENT       a regular expression that standard output must not match (optional)
#   LAST         a regular expression that the last line of standard output must match (optional)
foreach(Required HOST IMAGES_TOOL WORK STATUS)
  if(NOT DEFINED ${Required})
    message(FATAL_ERROR "RunHostTest.cmake needs -D${Required}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/config" "${WORK}/home")
execute_process(COMMAND "${IMAGES_TOOL}" "${WORK}/images" RESULT_VARIABLE ImagesStatus)
if(NOT ImagesStatus EQUAL 0)
  message(FATAL_ERROR "Writing the fixture images failed: ${ImagesStatus}")
endif()

string(REPLACE "|" ";" Arguments "${ARGS}")
if(DEFINED SCRIPT)
  list(APPEND Arguments --script "${SCRIPT}")
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
          "XDG_CONFIG_HOME=${WORK}/config" "HOME=${WORK}/home" "IMAGES=${WORK}/images"
          "${HOST}" ${Arguments}
  WORKING_DIRECTORY "${WORK}"
  INPUT_FILE /dev/null
  RESULT_VARIABLE Status
  OUTPUT_VARIABLE Output
  ERROR_VARIABLE Errors
  TIMEOUT 120)
file(WRITE "${WORK}/stdout.txt" "${Output}")
file(WRITE "${WORK}/stderr.txt" "${Errors}")
message("${Output}")
if(NOT Errors STREQUAL "")
  message("standard error:\n${Errors}")
endif()

if(NOT "${Status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "The host ended with status ${Status}, expected ${STATUS}")
endif()
if(DEFINED OUTPUT AND NOT Output MATCHES "${OUTPUT}")
  message(FATAL_ERROR "Standard output does not match: ${OUTPUT}")
endif()
if(DEFINED ERRORS AND NOT Errors MATCHES "${ERRORS}")
  message(FATAL_ERROR "Standard error does not match: ${ERRORS}")
endif()
if(DEFINED ABSENT AND Output MATCHES "${ABSENT}")
  message(FATAL_ERROR "Standard output matches what it must not: ${ABSENT}")
endif()
if(DEFINED LAST)
  string(STRIP "${Output}" Stripped)
  string(REGEX REPLACE "^.*\n" "" LastLine "${Stripped}")
  if(NOT LastLine MATCHES "${LAST}")
    message(FATAL_ERROR "The last line of the transcript, '${LastLine}', does not match: ${LAST}")
  endif()
endif()
