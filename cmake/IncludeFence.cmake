# IncludeFence.cmake - a scene plug-in may include host/base/ and nothing else of host/.
#
# The host's own headers (demo.h, window.h, ...) describe objects that live in the player, not
# in a plug-in; a plug-in that includes one compiles against a layout it cannot rely on. The
# fence makes that a configure error instead of a review comment: add_scene_plugin registers
# each plug-in (include_fence_register), and once the top-level CMakeLists.txt has been read,
# every registered target's include directories are checked: its own and the interface ones of
# everything it links, followed transitively. A directory inside host/ other than host/base/
# (or host/ itself, or a directory above it, from which "host/demo.h" would be found) stops the
# configure step with one line naming the plug-in, the directory and the target it came from.
#
# INCLUDE_FENCE_HOST_DIR (default <source root>/host) names the fenced folder; its base/
# subfolder is the one allowed inside it.
include_guard(GLOBAL)

if(NOT DEFINED INCLUDE_FENCE_HOST_DIR)
    set(INCLUDE_FENCE_HOST_DIR ${CMAKE_SOURCE_DIR}/host)
endif()

# Puts `target` behind the fence; called by add_scene_plugin for every plug-in.
function(include_fence_register target)
    set_property(GLOBAL APPEND PROPERTY INCLUDE_FENCE_TARGETS ${target})
endfunction()

# Sets `out` to TRUE when `path` is `prefix` or lies inside it (both normalised, no trailing "/").
function(_include_fence_inside path prefix out)
    string(FIND "${path}/" "${prefix}/" at)
    if(at EQUAL 0)
        set(${out} TRUE PARENT_SCOPE)
    else()
        set(${out} FALSE PARENT_SCOPE)
    endif()
endfunction()

# Sets `out` to TRUE when include directory `dir` lets a source reach a header of host/ that is
# not in host/base/.
function(_include_fence_dir_reaches_host dir out)
    set(${out} FALSE PARENT_SCOPE)
    # A directory only known at generation time ($<...>) is judged by the path inside it.
    string(REGEX REPLACE "\\$<[A-Z_]+:([^>]*)>" "\\1" dir "${dir}")
    if(NOT IS_ABSOLUTE "${dir}")
        return()
    endif()
    cmake_path(NORMAL_PATH dir)
    cmake_path(NORMAL_PATH INCLUDE_FENCE_HOST_DIR OUTPUT_VARIABLE host)
    string(REGEX REPLACE "(.)/$" "\\1" dir "${dir}")
    string(REGEX REPLACE "(.)/$" "\\1" host "${host}")
    _include_fence_inside("${dir}" "${host}" in_host)
    _include_fence_inside("${dir}" "${host}/base" in_base)
    _include_fence_inside("${host}" "${dir}" above_host)
    if((in_host AND NOT in_base) OR above_host)
        set(${out} TRUE PARENT_SCOPE)
    endif()
endfunction()

# Checks every registered target; stops at the first one that can see the host's headers.
function(include_fence_check)
    get_property(plugins GLOBAL PROPERTY INCLUDE_FENCE_TARGETS)
    foreach(plugin IN LISTS plugins)
        # Breadth-first over the link graph; chain_<target> is how the plug-in reaches it.
        set(queue ${plugin})
        string(MAKE_C_IDENTIFIER "${plugin}" key)
        set(chain_${key} "${plugin}")
        set(seen "")
        while(queue)
            list(POP_FRONT queue target)
            if(target IN_LIST seen)
                continue()
            endif()
            list(APPEND seen ${target})
            string(MAKE_C_IDENTIFIER "${target}" key)
            set(chain "${chain_${key}}")
            get_target_property(aliased ${target} ALIASED_TARGET)
            if(aliased)
                set(target ${aliased})
            endif()
            get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
            get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
            if(target STREQUAL plugin)
                # The plug-in's own directories and everything it links, PRIVATE included.
                get_target_property(own ${target} INCLUDE_DIRECTORIES)
                get_target_property(own_links ${target} LINK_LIBRARIES)
                list(APPEND dirs ${own})
                list(APPEND links ${own_links})
            endif()
            foreach(dir IN LISTS dirs)
                if(dir)
                    _include_fence_dir_reaches_host("${dir}" bad)
                    if(bad)
                        # The line itself unformatted (CMake wraps error texts), then the stop.
                        message(NOTICE
                            "## ERROR: scene plug-in ${plugin} can include the host's headers: "
                            "include directory ${dir} comes from ${chain}; a plug-in may see "
                            "host/base/ and no other part of host/ (cmake/IncludeFence.cmake)")
                        message(FATAL_ERROR "include fence: ${plugin} sees host/")
                    endif()
                endif()
            endforeach()
            foreach(link IN LISTS links)
                # $<LINK_ONLY:x> links x without handing its include directories on.
                if(link MATCHES "^\\$<LINK_ONLY:" OR NOT TARGET "${link}")
                    continue()
                endif()
                string(MAKE_C_IDENTIFIER "${link}" link_key)
                if(NOT DEFINED chain_${link_key})
                    set(chain_${link_key} "${chain} -> ${link}")
                endif()
                list(APPEND queue ${link})
            endforeach()
        endwhile()
    endforeach()
endfunction()

# Runs once all of the top-level CMakeLists.txt (and so every plug-in) has been read.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include_fence_check)
