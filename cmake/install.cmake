# Where `cmake --install` puts the programs and their data: the freedesktop places under the prefix.
# The programs find their data and the importer library relative to their own folder
# (common/install_paths.h), so the prefix may be anywhere.
install(TARGETS kestovan-ftp kestovan-ftp-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ravelink LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

install(FILES ${KESTOVAN_RESOURCES_DIR}/help.htm DESTINATION ${KESTOVAN_INSTALL_DATADIR})
foreach(code IN LISTS KESTOVAN_LANGUAGES)
    install(FILES ${KESTOVAN_RESOURCES_DIR}/help_${code}.htm DESTINATION ${KESTOVAN_INSTALL_DATADIR})
    install(FILES ${CMAKE_BINARY_DIR}/lang/lang_${code}.dat DESTINATION ${KESTOVAN_INSTALL_DATADIR}/lang)
endforeach()

install(DIRECTORY ${KESTOVAN_RESOURCES_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${KESTOVAN_RESOURCES_DIR}/desktop/${KESTOVAN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESTOVAN_RESOURCES_DIR}/desktop/${KESTOVAN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KESTOVAN_RESOURCES_DIR}/man/kestovan-ftp-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
