# Per-generator packaging settings (read by cpack for each generator).
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
    set(CPACK_PACKAGING_INSTALL_PREFIX /)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    # The archive's own README.txt at its top: what is in it and where each file goes.
    set(CPACK_INSTALLED_DIRECTORIES "${CPACK_CORVANE_ARCHIVE_README_DIR};.")
endif()
