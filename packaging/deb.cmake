# The Debian package, made by CPack's DEB generator from the install rules (see
# scripts/package.sh): the Debian documentation files and the package's control data.

# The changelog's newest entry must be this version's; its date is the release date the
# metainfo gives.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^brenmoor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog has no entry for ${PROJECT_VERSION} at its top: add one")
endif()
list(FILTER changelog_lines INCLUDE REGEX "^ -- ")
list(GET changelog_lines 0 changelog_trailer)
string(REGEX REPLACE "^ -- .*>  " "" changelog_date "${changelog_trailer}")
execute_process(COMMAND date -u -d "${changelog_date}" +%F OUTPUT_VARIABLE BRENMOOR_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/brenmoor)
find_program(GZIP gzip REQUIRED)
# A package whose version has no Debian revision keeps its changelog as changelog.gz.
add_custom_command(OUTPUT changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/changelog changelog
                   COMMAND ${GZIP} -9nf changelog
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
              ${CMAKE_CURRENT_LIST_DIR}/copyright
              ${CMAKE_CURRENT_LIST_DIR}/README.Debian
        DESTINATION ${doc_dir})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/60-brenmoor-rx-trigger.rules DESTINATION ${doc_dir}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenmoor)
set(CPACK_PACKAGE_CONTACT "Brenmoor maintainers <maintainers@brenmoor.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test and configuration tool for an 8-port PCI serial card")
# Lines under 80 characters, as Debian's description field wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Brenmoor configures and tests the ports of an 8-port PCI UART card. Per
port it sets the line parameters, the COM number and the UART extras (FIFO
trigger levels, RS-485, IrDA, DTR/RTS hysteresis), keeps them between runs
and saves and loads them as text files. Its test console sends a data
pattern on every port and shows what comes back through the internal
loopback, a loopback plug or a null-modem cable. Without the card it runs
on a simulated one.

brenmoor-cli runs the same test without a window, for burn-in: a verdict
per port, JSON and JUnit reports and an exit code.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the dialogs are laid out in DejaVu Sans
# Condensed, which fonts-dejavu-extra carries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-extra)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
