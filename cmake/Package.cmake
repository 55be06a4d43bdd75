# The release archive: `cmake --build build --target package` makes
# build/demo-<version>-linux-x86_64.tar.gz, one folder holding bin/ (the player, the offline
# renderer, the scene plug-ins), data/ and README.txt. It runs from wherever it is unpacked:
# the programs find data/ beside bin/, and nothing in it points back into the build.
#
# Only what the release build makes goes in: data/ as the `data` target left it (the archive
# is made after a full build, which `package` implies), the plug-ins that add_scene_plugin
# installs (test plug-ins live elsewhere and are left out), no logs and no dll_cache copies.
include_guard(GLOBAL)

install(TARGETS demoplayer demorender demolive RUNTIME DESTINATION bin)
install(DIRECTORY DESTINATION bin/dll_cache)
install(DIRECTORY ${DEMO_DATA_DIR}/ DESTINATION data
        PATTERN ".timeline.stamp" EXCLUDE)
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt.in
               ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME demo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME demo-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# The release binaries carry no build-tree RUNPATH (CMake's default for installed targets).
include(CPack)
