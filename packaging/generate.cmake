# Build-time steps that need the built verlumo-db, run as
#   cmake -DSTEP=... -DTOOL=verlumo-db ... -P generate.cmake
#   STEP=manpage     TEMPLATE, OUTPUT: the page with the tool's COMMANDS section
#   STEP=completion  OUTPUT: the bash completion
#   STEP=screenshot  DATABASE, OUTPUT: the main window on the first type
function(run_tool out)
  execute_process(COMMAND ${TOOL} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${ARGN}: exit ${rc}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(STEP STREQUAL "manpage")
  run_tool(VERLUMO_DB_COMMANDS --man-commands)
  string(STRIP "${VERLUMO_DB_COMMANDS}" VERLUMO_DB_COMMANDS)
  # Filled in when installing, for the prefix installed to.
  set(VERLUMO_SAMPLE_INSTALL_DIR "@VERLUMO_SAMPLE_INSTALL_DIR@")
  set(VERLUMO_DOC_INSTALL_DIR "@VERLUMO_DOC_INSTALL_DIR@")
  configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
elseif(STEP STREQUAL "completion")
  run_tool(text --bash-completion)
  file(WRITE ${OUTPUT} "${text}")
elseif(STEP STREQUAL "screenshot")
  # The first type in the tree, as ./run selects it.
  run_tool(dump dump ${DATABASE})
  string(REGEX MATCH "\"position\":([0-9]+),\"parent\":-?[0-9]+,\"item\":[0-9]" found "${dump}")
  if(NOT found)
    message(FATAL_ERROR "${DATABASE} has no type to show")
  endif()
  run_tool(ignored render ${DATABASE} -o ${OUTPUT} --select ${CMAKE_MATCH_1})
else()
  message(FATAL_ERROR "unknown STEP '${STEP}'")
endif()
