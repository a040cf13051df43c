# Install rules, the CMake package (find_package(Vantrel) gives Vantrel::vantrel),
# the pkg-config file and the Debian package (cpack -G DEB). Under the prefix:
#   lib/libvantrel.so.*         the library
#   include/vantrel/            clsDataEntry.h and the headers a host talks through
#   share/vantrel/*.RPT         the report definitions
#   bin/                        vantrel-db, vantrel-regsvr, vantrel-host
#   lib/cmake/Vantrel/, lib/pkgconfig/vantrel.pc
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VANTREL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vantrel)

# The library looks for the report definitions beside itself, then in its data
# folder, found relative to its own so a staged or moved install works too.
file(RELATIVE_PATH vantrel_data_from_lib ${CMAKE_INSTALL_FULL_LIBDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/vantrel)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/report/libraryfolder.cpp TARGET_DIRECTORY vantrel
             APPEND PROPERTY COMPILE_DEFINITIONS VANTREL_DATA_FROM_LIBRARY="${vantrel_data_from_lib}")

# The programs find the library from wherever the prefix lies.
file(RELATIVE_PATH vantrel_lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(vantrel-host vantrel-db PROPERTIES
    INSTALL_RPATH "$ORIGIN/${vantrel_lib_from_bin}")

install(TARGETS vantrel EXPORT VantrelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${CMAKE_INSTALL_INCLUDEDIR}/vantrel)
install(TARGETS vantrel-host vantrel-db vantrel-regsvr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The public header and what it and late binding include (values, errors,
# the component door, connections and recordsets, the server entry points).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vantrel/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vantrel FILES_MATCHING PATTERN "*.h")
foreach(dir platform/runtime platform/com platform/ado)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${dir}/
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vantrel/${dir} FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/src/entry/properties.h ${PROJECT_SOURCE_DIR}/src/entry/server.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vantrel/entry)

# Every report definition, whatever forms have been added.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/reports/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel
        FILES_MATCHING PATTERN "*.RPT")

install(EXPORT VantrelTargets NAMESPACE Vantrel:: DESTINATION ${VANTREL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VantrelConfig.cmake.in
    ${CMAKE_BINARY_DIR}/VantrelConfig.cmake INSTALL_DESTINATION ${VANTREL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VantrelConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VantrelConfig.cmake ${CMAKE_BINARY_DIR}/VantrelConfigVersion.cmake
        DESTINATION ${VANTREL_CMAKEDIR})

file(RELATIVE_PATH vantrel_prefix_from_pc ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantrel.pc.in ${CMAKE_BINARY_DIR}/vantrel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vantrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# One Debian package with the library, its headers and the tools; its
# dependencies are what the installed files load at run time (the Qt
# database drivers and window plugins, and the fonts of the reports
# included). scripts/package checks them against the linked libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Result entry for a clinical laboratory (Qt 6 library and tools)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The result-entry component of a clinical laboratory system: a shared
library that a laboratory application loads to enter, sign off, save and
print exam results, with its headers, CMake and pkg-config files, the
vantrel-db and vantrel-regsvr tools and the vantrel-host demo host.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, \
libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6sql6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, \
libsqlite3-0, libpq5, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
