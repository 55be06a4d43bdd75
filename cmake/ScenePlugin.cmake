# add_scene_plugin(<name> SOURCES <files...> [LIBS <libs...>] [OUTPUT_DIRECTORY <dir>]
#                  [SHADERS <files...>] [ASSETS <generator target>])
#
# Builds a scene plug-in: a shared module named exactly <name>.so (the loader looks for
# render*.so), with the scene base, the post-processing library and the matrix utilities
# compiled in. Everything but CreateScene/DeleteScene is hidden, and the plug-in binds its
# own symbols first (-Bsymbolic), so each plug-in keeps its own copy of every library's state
# even where the host carries the same code. Every symbol must resolve at link time
# (--no-undefined), in sanitizer builds too (DEMO_SANITIZE links a shared sanitizer runtime for
# that). Default output: the build's bin/ (DEMO_BIN_DIR: <root>/bin/, or the sanitizer build's
# own).
#
# SHADERS: the scene's GLSL files (relative to the calling folder), copied into data/shaders/
# by the `data` target whenever they change.
# ASSETS: the target of the scene's asset generator, made in tools/<scene>_assets/ with
# add_asset_generator (tools/CMakeLists.txt); `data` runs it. Named here so that one call says
# everything a scene is made of; a name that no generator defines stops the configuration.
function(add_scene_plugin name)
    cmake_parse_arguments(PLUGIN "" "OUTPUT_DIRECTORY;ASSETS" "SOURCES;LIBS;SHADERS" ${ARGN})
    if(NOT PLUGIN_OUTPUT_DIRECTORY)
        set(PLUGIN_OUTPUT_DIRECTORY ${DEMO_BIN_DIR})
    endif()
    add_library(${name} MODULE ${PLUGIN_SOURCES})
    target_link_libraries(${name} PRIVATE scene_base ${PLUGIN_LIBS})
    include_fence_register(${name})
    target_link_options(${name} PRIVATE -Wl,-Bsymbolic -Wl,--exclude-libs,ALL -Wl,--no-undefined)
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${PLUGIN_OUTPUT_DIRECTORY}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    if(PLUGIN_OUTPUT_DIRECTORY STREQUAL DEMO_BIN_DIR)
        add_dependencies(demo ${name})
        install(TARGETS ${name} LIBRARY DESTINATION bin) # the release archive (Package.cmake)
    endif()

    if(PLUGIN_SHADERS)
        add_data_shaders(${name}_shaders ${PLUGIN_SHADERS})
    endif()

    if(PLUGIN_ASSETS)
        add_dependencies(data ${PLUGIN_ASSETS})
        # The generators' folders join the build after the scenes', so the target is looked
        # for once the whole project has been read.
        cmake_language(EVAL CODE "
            cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]]
                CALL _scene_plugin_check_assets [[${name}]] [[${PLUGIN_ASSETS}]])")
    endif()
endfunction()

# add_data_shaders(<target> <files...>): target <target> copies the GLSL files (relative to the
# calling folder) into data/shaders/ whenever they change; the `data` target depends on it. A
# file name may be copied by one target only: a shader that several scenes draw with lives in
# the scene kit (scenes/base/shaders/) and is copied from there.
function(add_data_shaders target)
    set(copies)
    foreach(shader ${ARGN})
        get_filename_component(source ${shader} ABSOLUTE)
        get_filename_component(file ${shader} NAME)
        set(copy ${DEMO_DATA_DIR}/shaders/${file})
        add_custom_command(
            OUTPUT ${copy}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_DATA_DIR}/shaders
            COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
            DEPENDS ${source}
            VERBATIM)
        list(APPEND copies ${copy})
    endforeach()
    add_custom_target(${target} DEPENDS ${copies} COMMENT "Copying the shaders of ${target}")
    add_dependencies(data ${target})
endfunction()

function(_scene_plugin_check_assets plugin generator)
    if(NOT TARGET ${generator})
        message(FATAL_ERROR "add_scene_plugin(${plugin}): ASSETS ${generator} is not a target; "
                            "the scene's generator is made by add_asset_generator(${generator} "
                            "...) in tools/<scene>_assets/CMakeLists.txt")
    endif()
endfunction()
