# The copyright file and the changelog every Debian package carries, in
# share/doc/corvane-phaser. The changelog's date honours SOURCE_DATE_EPOCH, so a release build
# that sets it gives the same file every time.
string(TIMESTAMP CORVANE_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(CORVANE_PACKAGE_DOCS ${CMAKE_CURRENT_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/changelog.in ${CORVANE_PACKAGE_DOCS}/changelog
               @ONLY)
add_custom_command(OUTPUT ${CORVANE_PACKAGE_DOCS}/changelog.gz
                   COMMAND gzip -9n -c changelog > changelog.gz
                   DEPENDS ${CORVANE_PACKAGE_DOCS}/changelog
                   WORKING_DIRECTORY ${CORVANE_PACKAGE_DOCS} VERBATIM)
add_custom_target(corvane_package_docs ALL DEPENDS ${CORVANE_PACKAGE_DOCS}/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/package/copyright ${CORVANE_PACKAGE_DOCS}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane-phaser)
