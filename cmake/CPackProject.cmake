# Per-generator packaging settings (read by cpack for each generator).
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
    set(CPACK_PACKAGING_INSTALL_PREFIX /)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
