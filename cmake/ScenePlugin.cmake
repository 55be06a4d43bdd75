# add_scene_plugin(<name> SOURCES <files...> [LIBS <libs...>] [OUTPUT_DIRECTORY <dir>])
#
# Builds a scene plug-in: a shared module named exactly <name>.so (the loader looks for
# render*.so), with the scene base, the post-processing library and the matrix utilities
# compiled in. Everything but CreateScene/DeleteScene is hidden, and the plug-in binds its
# own symbols first (-Bsymbolic), so each plug-in keeps its own copy of every library's state
# even where the host carries the same code. Every symbol must resolve at link time
# (--no-undefined), in sanitizer builds too (DEMO_SANITIZE links a shared sanitizer runtime for
# that). Default output: the build's bin/ (DEMO_BIN_DIR: <root>/bin/, or the sanitizer build's
# own).
function(add_scene_plugin name)
    cmake_parse_arguments(PLUGIN "" "OUTPUT_DIRECTORY" "SOURCES;LIBS" ${ARGN})
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
    endif()
endfunction()
