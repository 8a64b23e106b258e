# What `cmake --install` puts where: the two programs, the data folder the
# window looks for at ../share/quillfen from its own folder, and the files
# that make it a desktop application (launcher, icon, AppStream metadata,
# manual pages, bash completion).
include(GNUInstallDirs)

set(QUILLFEN_APP_ID org.tarnwick.Quillfen)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS quillfen quillfen-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quillfen_pdf quillfen_ocr LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/quillfen)

# Samples, pointer images when present, and x/ where a skin may be put.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillfen)

install(FILES ${packaging}/${QUILLFEN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${QUILLFEN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(${packaging}/${QUILLFEN_APP_ID}.metainfo.xml.in
               ${generated}/${QUILLFEN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${QUILLFEN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(page quillfen quillfen-cli)
    configure_file(${packaging}/${page}.1.in ${generated}/${page}.1 @ONLY)
    install(FILES ${generated}/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The completion is written by the built program from its option table. A
# sanitized build's leak check has nothing to say about so short a run.
set(completion ${generated}/quillfen-cli.bash-completion)
add_custom_command(OUTPUT ${completion}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:quillfen-cli> --bash-completion > ${completion}
    DEPENDS quillfen-cli
    COMMENT "Writing the bash completion of quillfen-cli")
add_custom_target(quillfen_cli_completion ALL DEPENDS ${completion})
install(FILES ${completion}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quillfen-cli)

# The licence as Debian packages state it (poppler is GPL, and so is
# Quillfen).
install(FILES ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillfen)
