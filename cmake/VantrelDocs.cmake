# The API reference: cmake --build build --target docs writes
# build/docs/api/html from the public headers as they are installed. Any
# doxygen warning (an undocumented public member, a broken reference) fails
# the target.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
    set(VANTREL_API_DIR ${CMAKE_BINARY_DIR}/docs/api)
    configure_file(${PROJECT_SOURCE_DIR}/docs/api/Doxyfile.in ${VANTREL_API_DIR}/Doxyfile @ONLY)
    add_custom_target(docs
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${VANTREL_API_DIR}/html
        COMMAND ${DOXYGEN_EXECUTABLE} ${VANTREL_API_DIR}/Doxyfile
        DEPENDS vantrel-public-headers ${PROJECT_SOURCE_DIR}/docs/api/mainpage.md
        WORKING_DIRECTORY ${VANTREL_API_DIR}
        COMMENT "API reference in ${VANTREL_API_DIR}/html"
        VERBATIM)
else()
    add_custom_target(docs
        COMMAND ${CMAKE_COMMAND} -E echo "docs: doxygen is not installed (apt install doxygen)"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
endif()
