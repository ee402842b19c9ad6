# The copyright file and the changelog every Debian package carries, in
# share/doc/corvane-phaser, and corvane-render's manual page. The changelog's date honours
# SOURCE_DATE_EPOCH, so a release build that sets it gives the same file every time.
string(TIMESTAMP CORVANE_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(CORVANE_PACKAGE_DOCS ${CMAKE_CURRENT_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/changelog.in ${CORVANE_PACKAGE_DOCS}/changelog
               @ONLY)
add_custom_command(OUTPUT ${CORVANE_PACKAGE_DOCS}/changelog.gz ${CORVANE_PACKAGE_DOCS}/corvane-render.1.gz
                   COMMAND gzip -9n -c changelog > changelog.gz
                   COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/package/corvane-render.1 > corvane-render.1.gz
                   DEPENDS ${CORVANE_PACKAGE_DOCS}/changelog ${CMAKE_CURRENT_LIST_DIR}/package/corvane-render.1
                   WORKING_DIRECTORY ${CORVANE_PACKAGE_DOCS} VERBATIM)
add_custom_target(corvane_package_docs ALL DEPENDS ${CORVANE_PACKAGE_DOCS}/changelog.gz
                                                   ${CORVANE_PACKAGE_DOCS}/corvane-render.1.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/package/copyright ${CORVANE_PACKAGE_DOCS}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane-phaser)
if(TARGET corvane-render)
    install(FILES ${CORVANE_PACKAGE_DOCS}/corvane-render.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
