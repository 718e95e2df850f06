# Run by `cmake --install` and by CPack: writes the menu entry and the
# manual pages for the prefix actually installed to, since both name the
# installed sample, then installs them (file(INSTALL) honours DESTDIR).
set(VERLUMO_SAMPLE_INSTALL_DIR "${CMAKE_INSTALL_PREFIX}/${VERLUMO_DATADIR}/verlumo/sample-db")
set(VERLUMO_DOC_INSTALL_DIR "${CMAKE_INSTALL_PREFIX}/${VERLUMO_DOCDIR}")
set(stage "${VERLUMO_PACKAGING_DIR}/installing")
configure_file("${VERLUMO_SOURCE_DIR}/verlumo.desktop.in" "${stage}/verlumo.desktop" @ONLY)
configure_file("${VERLUMO_PACKAGING_DIR}/verlumo.1.in" "${stage}/verlumo.1" @ONLY)
configure_file("${VERLUMO_PACKAGING_DIR}/verlumo-db.1.cmd.in" "${stage}/verlumo-db.1" @ONLY)
# Debian wants manual pages compressed, without a timestamp; man reads them
# so from any prefix.
foreach(page verlumo.1 verlumo-db.1)
  execute_process(COMMAND gzip -9 -n -c "${stage}/${page}" OUTPUT_FILE "${stage}/${page}.gz"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${stage}/${page}: ${rc}")
  endif()
endforeach()
file(INSTALL "${stage}/verlumo.desktop"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${VERLUMO_DATADIR}/applications")
file(INSTALL "${stage}/verlumo.1.gz" "${stage}/verlumo-db.1.gz"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${VERLUMO_MANDIR}/man1")
