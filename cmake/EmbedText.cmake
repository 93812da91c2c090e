# tolvane_embed_text(TARGET FILE SYMBOL): compiles FILE's text into TARGET as
#   extern const char* const SYMBOL;   // the whole text, NUL-terminated
# The source is generated at build time and again whenever FILE changes. A relative FILE is taken
# from the current source folder.
#
# Run as a script (cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P EmbedText.cmake), this file writes
# that source. The text is written as byte values, so any character in it is safe.

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(READ "${INPUT}" Hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," Bytes "${Hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " Bytes "${Bytes}")
  file(WRITE "${OUTPUT}"
    "// Generated from ${INPUT} at build time.\n"
    "extern const char* const ${SYMBOL};\n"
    "namespace {\n"
    "const char Text[] = {\n    ${Bytes}0x00};\n"
    "}\n"
    "const char* const ${SYMBOL} = Text;\n")
  return()
endif()

function(tolvane_embed_text TARGET FILE SYMBOL)
  if(NOT SYMBOL MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "tolvane_embed_text: '${SYMBOL}' is not a C++ identifier")
  endif()
  get_filename_component(Input "${FILE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT EXISTS "${Input}")
    message(FATAL_ERROR "tolvane_embed_text: ${Input} does not exist")
  endif()
  set(Output "${CMAKE_CURRENT_BINARY_DIR}/embedded/${SYMBOL}.cpp")
  add_custom_command(
    OUTPUT "${Output}"
    COMMAND "${CMAKE_COMMAND}" "-DINPUT=${Input}" "-DOUTPUT=${Output}" "-DSYMBOL=${SYMBOL}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS "${Input}" "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    COMMENT "Embedding ${FILE} as ${SYMBOL}"
    VERBATIM)
  target_sources(${TARGET} PRIVATE "${Output}")
endfunction()
