# The release archive: `cmake --build build --target package` makes
# build/demo-<version>-linux-x86_64.tar.gz, one folder holding bin/ (the player, the offline
# renderer, the scene plug-ins), lib/ (the libraries they need beyond the machine's baseline),
# licences/, data/ and README.txt. It runs from wherever it is unpacked, with nothing installed:
# the programs find data/ beside bin/ and their libraries in lib/ by run paths relative to
# themselves, and nothing in it points back into the build (docs/release.md).
#
# Only what the release build makes goes in: data/ as the `data` target left it (the archive
# is made after a full build, which `package` implies), the plug-ins that add_scene_plugin
# installs (test plug-ins live elsewhere and are left out), no logs and no dll_cache copies.
include_guard(GLOBAL)

install(TARGETS demoplayer demorender demolive RUNTIME DESTINATION bin)
install(DIRECTORY DESTINATION bin/dll_cache)
install(DIRECTORY ${DEMO_DATA_DIR}/ DESTINATION data
        PATTERN ".timeline.stamp" EXCLUDE)

# lib/, licences/ and the run paths, once bin/ is complete (the plug-ins were installed by
# add_scene_plugin before this file is read).
find_program(DEMO_PATCHELF patchelf)
if(DEMO_PATCHELF)
    install(CODE "set(DEMO_BASELINE_FILE [[${CMAKE_SOURCE_DIR}/packaging/baseline.txt]])
                  set(DEMO_PATCHELF [[${DEMO_PATCHELF}]])")
    install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/BundleLibraries.cmake)
else()
    install(CODE [[message(FATAL_ERROR "release archive: patchelf is not installed "
                                       "(scripts/install-deps installs it)")]])
endif()

# The README names the baseline the archive leaves to the machine, from the same list.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/baseline.txt DEMO_BASELINE_GROUPS REGEX "^[^#].*: ")
set(DEMO_BASELINE_TEXT "")
foreach(group IN LISTS DEMO_BASELINE_GROUPS)
    string(REGEX REPLACE ": .*" ":" what "${group}")
    string(REGEX REPLACE "^.*: " "" names "${group}")
    string(APPEND DEMO_BASELINE_TEXT "    ${what}\n        ${names}\n")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt.in
               ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/packaging/baseline.txt)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME demo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME demo-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
