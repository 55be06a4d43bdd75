# Run at install time, after bin/ is installed (Package.cmake), so `package` makes an archive that
# runs where it is unpacked without installing anything:
#   - every library the programs and plug-ins need, directly or through each other, is copied
#     into lib/ under the name the loader asks for, except the machine's own baseline
#     (packaging/baseline.txt), whose own dependencies are left to it;
#   - the programs look in $ORIGIN/../lib; the plug-ins also in $ORIGIN/../../lib, because the
#     player loads their copies from bin/dll_cache/; the copied libraries look beside themselves;
#   - licences/ holds the Debian copyright file of every package a copied library comes from,
#     and licences/BUNDLED.txt lists each library with its package and version.
# Variables: DEMO_BASELINE_FILE (packaging/baseline.txt), DEMO_PATCHELF (patchelf).
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

# The baseline's names (globs) as anchored regular expressions.
file(STRINGS "${DEMO_BASELINE_FILE}" groups REGEX "^[^#].*: ")
set(baseline)
foreach(group IN LISTS groups)
    string(REGEX REPLACE "^.*: " "" names "${group}")
    separate_arguments(names UNIX_COMMAND "${names}")
    foreach(name IN LISTS names)
        string(REGEX REPLACE "([.+])" "\\\\\\1" regex "${name}")
        string(REPLACE "*" ".*" regex "${regex}")
        list(APPEND baseline "^${regex}$")
    endforeach()
endforeach()
if(NOT baseline)
    message(FATAL_ERROR "${DEMO_BASELINE_FILE}: no baseline library names in it")
endif()

set(programs)
foreach(program demoplayer demorender demolive)
    list(APPEND programs "${root}/bin/${program}")
endforeach()
file(GLOB plugins "${root}/bin/render*.so")
file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${programs}
    MODULES ${plugins}
    PRE_EXCLUDE_REGEXES ${baseline}
    RESOLVED_DEPENDENCIES_VAR libraries
    UNRESOLVED_DEPENDENCIES_VAR missing
    CONFLICTING_DEPENDENCIES_PREFIX conflict)
if(missing)
    message(FATAL_ERROR "release archive: cannot find ${missing}, which the programs need")
endif()
if(conflict_FILENAMES)
    message(FATAL_ERROR "release archive: ${conflict_FILENAMES} found in more than one place")
endif()

function(patchelf_set_rpath file rpath)
    execute_process(COMMAND "${DEMO_PATCHELF}" --set-rpath "${rpath}" "${file}"
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "release archive: patchelf cannot set the run path of ${file}: ${err}")
    endif()
endfunction()

# package_of(<var> <library path>): the Debian package that installed it, under either name
# that the merged /usr gives it.
function(package_of var path)
    file(REAL_PATH "${path}" real)
    foreach(candidate "${real}" "${path}")
        string(REGEX REPLACE "^/usr/" "/" short "${candidate}")
        foreach(name "${short}" "/usr${short}")
            execute_process(COMMAND dpkg-query -S "${name}" OUTPUT_VARIABLE owner
                            RESULT_VARIABLE rc ERROR_QUIET)
            if(rc EQUAL 0)
                string(REGEX REPLACE "[:,].*" "" owner "${owner}")
                set(${var} "${owner}" PARENT_SCOPE)
                return()
            endif()
        endforeach()
    endforeach()
    message(FATAL_ERROR "release archive: ${path} belongs to no Debian package, so its licence "
                        "is unknown; it cannot be bundled")
endfunction()

file(MAKE_DIRECTORY "${root}/lib" "${root}/licences")
set(manifest "Libraries in lib/, the Debian package each comes from, and its version. Each\n"
             "package's copyright and licence terms are in licences/<package>.\n\n")
list(SORT libraries)
foreach(library IN LISTS libraries)
    get_filename_component(name "${library}" NAME)
    file(REAL_PATH "${library}" real)
    file(COPY_FILE "${real}" "${root}/lib/${name}")
    patchelf_set_rpath("${root}/lib/${name}" "\$ORIGIN")

    package_of(package "${library}")
    execute_process(COMMAND dpkg-query -W -f=\${Version} "${package}" OUTPUT_VARIABLE version)
    file(REAL_PATH "/usr/share/doc/${package}/copyright" copyright)
    if(NOT EXISTS "${copyright}")
        message(FATAL_ERROR "release archive: ${package} (${name}) has no copyright file at "
                            "/usr/share/doc/${package}/copyright")
    endif()
    file(COPY_FILE "${copyright}" "${root}/licences/${package}")
    string(APPEND manifest "${name}  ${package} ${version}\n")
endforeach()
file(WRITE "${root}/licences/BUNDLED.txt" ${manifest})

foreach(program IN LISTS programs)
    patchelf_set_rpath("${program}" "\$ORIGIN/../lib")
endforeach()
foreach(plugin IN LISTS plugins)
    patchelf_set_rpath("${plugin}" "\$ORIGIN/../lib:\$ORIGIN/../../lib")
endforeach()
list(LENGTH libraries count)
message(STATUS "release archive: ${count} libraries in lib/")
