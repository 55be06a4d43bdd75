# Folders that join the build by being there: scenes/<scene>/, tools/<generator>/,
# tests/scenes/<scene>/, bench/<subsystem>/, fuzz/<target>/.
#
# A folder without a CMakeLists.txt stops the configuration with its name: a scene, a test or a
# benchmark whose folder was renamed or lost its CMakeLists.txt is reported, never silently
# left out of the build (and out of the test run).

# list_sub_folders(<variable> <parent> [EXCEPT <names...>])
# Sets <variable> to the absolute paths of the folders directly under <parent>, sorted by
# name, leaving out those named in EXCEPT (folders that are no CMake project of their own).
# Adding or removing a folder re-runs the configuration at the next build.
function(list_sub_folders variable parent)
    cmake_parse_arguments(SUB "" "" "EXCEPT" ${ARGN})
    file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${parent} ${parent}/*)
    list(SORT entries)
    set(folders)
    foreach(name ${entries})
        if(IS_DIRECTORY ${parent}/${name} AND NOT name IN_LIST SUB_EXCEPT)
            if(NOT EXISTS ${parent}/${name}/CMakeLists.txt)
                message(FATAL_ERROR "${parent}/${name}/ has no CMakeLists.txt: every folder "
                                    "there joins the build, so give it one (or remove it)")
            endif()
            list(APPEND folders ${parent}/${name})
        endif()
    endforeach()
    set(${variable} ${folders} PARENT_SCOPE)
endfunction()

# add_sub_folders(<parent> [EXCEPT <names...>]): add_subdirectory for each of them.
function(add_sub_folders parent)
    list_sub_folders(folders ${parent} ${ARGN})
    foreach(folder ${folders})
        add_subdirectory(${folder})
    endforeach()
endfunction()
