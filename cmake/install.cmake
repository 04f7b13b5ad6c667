# Installs rawsplit, the library with its public header, a pkg-config file
# and a CMake package: find_package(d01ozu) gives d01ozu::d01ozu.
include(CMakePackageConfigHelpers)

install(TARGETS rawsplit rawlist RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/rawsplit.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(TARGETS d01ozu EXPORT d01ozuTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/d01ozu DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(D01OZU_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/d01ozu)
install(EXPORT d01ozuTargets NAMESPACE d01ozu:: DESTINATION ${D01OZU_CMAKE_DIR})
configure_package_config_file(cmake/d01ozuConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/d01ozuConfig.cmake INSTALL_DESTINATION ${D01OZU_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/d01ozuConfigVersion.cmake
  VERSION ${D01OZU_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/d01ozuConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/d01ozuConfigVersion.cmake DESTINATION ${D01OZU_CMAKE_DIR})

file(RELATIVE_PATH D01OZU_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/d01ozu.pc.in ${CMAKE_CURRENT_BINARY_DIR}/d01ozu.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/d01ozu.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
