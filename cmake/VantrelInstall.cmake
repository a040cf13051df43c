# Install rules, the CMake package (find_package(Vantrel) gives Vantrel::vantrel),
# the pkg-config file and the two Debian packages (cpack -G DEB). Under the
# prefix (/usr unless told otherwise; <libdir> is lib/x86_64-linux-gnu there):
#   <libdir>/libvantrel.so.*               the library                   vantrel
#   share/vantrel/*.RPT                    the report definitions        vantrel
#   bin/                                   vantrel-db, vantrel-regsvr,   vantrel
#                                          vantrel-host
#   share/doc/vantrel/                     deployment guide, database    vantrel
#   include/vantrel/                       the public headers            vantrel-dev
#   <libdir>/libvantrel.so, <libdir>/cmake/Vantrel/, <libdir>/pkgconfig/vantrel.pc
#                                                                        vantrel-dev
#   share/doc/vantrel-dev/                 host guide, architecture,     vantrel-dev
#                                          API reference (html/)
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    # The packages install under /usr, and Debian keeps libraries of /usr in
    # the multiarch folder: GNUInstallDirs picks it only for this prefix.
    set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VANTREL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vantrel)
set(VANTREL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantrel)
set(VANTREL_DEV_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantrel-dev)

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
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS vantrel-host vantrel-db vantrel-regsvr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT runtime)

# The public headers: the data-entry object, the server's entry points, and
# what they and late binding talk through (values and errors, the component
# door, connections and recordsets). They are copied into one tree under
# vantrel/ with their includes of each other written <vantrel/...>, so a host
# sees the one folder vantrel/ and nothing of the library's own layout.
set(VANTREL_PUBLIC_HEADERS
    vantrel/clsDataEntry.h
    entry/properties.h
    entry/server.h
    platform/runtime/errors.h
    platform/runtime/variant.h
    platform/com/guid.h
    platform/com/dispatch.h
    platform/com/createobject.h
    platform/ado/errors.h
    platform/ado/connection.h
    platform/ado/recordset.h)
set(VANTREL_PUBLIC_INCLUDEDIR ${CMAKE_BINARY_DIR}/include)
set(vantrel_public_outputs)
foreach(header ${VANTREL_PUBLIC_HEADERS})
    if(header MATCHES "^vantrel/")
        set(in ${PROJECT_SOURCE_DIR}/include/${header})
        set(out ${VANTREL_PUBLIC_INCLUDEDIR}/${header})
    else()
        set(in ${PROJECT_SOURCE_DIR}/src/${header})
        set(out ${VANTREL_PUBLIC_INCLUDEDIR}/vantrel/${header})
    endif()
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DIN=${in} -DOUT=${out} -P ${CMAKE_CURRENT_LIST_DIR}/PublicHeader.cmake
        DEPENDS ${in} ${CMAKE_CURRENT_LIST_DIR}/PublicHeader.cmake VERBATIM)
    list(APPEND vantrel_public_outputs ${out})
endforeach()
add_custom_target(vantrel-public-headers ALL DEPENDS ${vantrel_public_outputs})
install(DIRECTORY ${VANTREL_PUBLIC_INCLUDEDIR}/vantrel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev)

# Every report definition, whatever forms have been added.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/reports/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel
        COMPONENT runtime FILES_MATCHING PATTERN "*.RPT")

install(EXPORT VantrelTargets NAMESPACE Vantrel:: DESTINATION ${VANTREL_CMAKEDIR} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VantrelConfig.cmake.in
    ${CMAKE_BINARY_DIR}/VantrelConfig.cmake INSTALL_DESTINATION ${VANTREL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VantrelConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VantrelConfig.cmake ${CMAKE_BINARY_DIR}/VantrelConfigVersion.cmake
        DESTINATION ${VANTREL_CMAKEDIR} COMPONENT dev)

file(RELATIVE_PATH vantrel_prefix_from_pc ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantrel.pc.in ${CMAKE_BINARY_DIR}/vantrel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vantrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

# Each package's documentation folder: copyright, the changelog (compressed,
# as Debian keeps it) and the guides for its readers.
set(vantrel_changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${vantrel_changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${vantrel_changelog}
    COMMAND gzip -9nf ${vantrel_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(vantrel-changelog ALL DEPENDS ${vantrel_changelog}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${vantrel_changelog}.gz
        DESTINATION ${VANTREL_DOCDIR} COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/docs/deployment.md DESTINATION ${VANTREL_DOCDIR}
        COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/db/README.md DESTINATION ${VANTREL_DOCDIR}
        RENAME database.md COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${vantrel_changelog}.gz
        ${PROJECT_SOURCE_DIR}/docs/host-guide.md ${PROJECT_SOURCE_DIR}/docs/architecture.md
        DESTINATION ${VANTREL_DEV_DOCDIR} COMPONENT dev)
# The API reference, when the docs target has made it.
install(DIRECTORY ${CMAKE_BINARY_DIR}/docs/api/html DESTINATION ${VANTREL_DEV_DOCDIR}
        COMPONENT dev OPTIONAL)

# Two packages: vantrel (the library, its tools and report definitions) for
# the workstations, vantrel-dev (headers, CMake and pkg-config files, the API
# reference) for building hosts. The run-time dependencies are what the
# installed files load (the Qt database drivers and window plugins, and the
# fonts of the reports included); scripts/package checks them against the
# linked libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR "Vantrel")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vantrel)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION science)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Result entry for a clinical laboratory (Qt 6 library and tools)
The result-entry component of a clinical laboratory system: a shared
library that a laboratory application loads to enter, sign off, save and
print exam results, with its report definitions, the vantrel-db and
vantrel-regsvr tools and the vantrel-host demo host.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, \
libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6sql6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, \
libsqlite3-0, libpq5, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME vantrel-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION "Result entry for a clinical laboratory (development files)
Headers, CMake package, pkg-config file and API reference for building a
laboratory application against the Vantrel result-entry library.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "vantrel (= ${PROJECT_VERSION}), qt6-base-dev (>= 6.4)")
include(CPack)
