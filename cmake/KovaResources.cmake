# Resource modules, built from one text source each by tools/rescompile (format in
# Platform/ResourceFormat.h, source syntax in tools/rescompile/ResourceSource.h).
#
# kova_resource_module(<file name without .dll> <source>
#                      [DIRECTORY <sub-folder of the binary tree's bin>] [OUTPUT_DIRECTORY <absolute>]
#                      [VERSION <a.b.c.d>])
#   writes <bin>/<DIRECTORY>/<name>.dll; the version defaults to the project's. Sets
#   <name>_RESOURCE_TARGET in the caller's scope to the target that builds it; the target
#   kova_resource_modules builds them all.
# kova_embed_resources(<target> <source> [VERSION <a.b.c.d>])
#   compiles the same image into a code module: an executable or a shared library (a static
#   library would drop the unreferenced image at link time).
add_custom_target(kova_resource_modules ALL)

function(kova_resource_module name source)
    cmake_parse_arguments(ARG "" "DIRECTORY;OUTPUT_DIRECTORY;VERSION" "" ${ARGN})
    if(NOT ARG_VERSION)
        set(ARG_VERSION ${PROJECT_VERSION})
    endif()
    if(ARG_OUTPUT_DIRECTORY)
        set(dir ${ARG_OUTPUT_DIRECTORY})
    else()
        set(dir ${CMAKE_BINARY_DIR}/bin/${ARG_DIRECTORY})
    endif()
    get_filename_component(source ${source} ABSOLUTE)
    set(output ${dir}/${name}.dll)
    file(RELATIVE_PATH relative ${CMAKE_BINARY_DIR} ${output})
    string(MAKE_C_IDENTIFIER "res_${relative}" target)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND kova_rescompile --version ${ARG_VERSION} --output ${output} ${source}
        DEPENDS kova_rescompile ${source}
        COMMENT "Resource module ${relative}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
    add_dependencies(kova_resource_modules ${target})
    set(${name}_RESOURCE_TARGET ${target} PARENT_SCOPE)
endfunction()

function(kova_embed_resources target source)
    cmake_parse_arguments(ARG "" "VERSION" "" ${ARGN})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
        message(FATAL_ERROR "kova_embed_resources: ${target} is a ${type}; embed into the executable or shared library")
    endif()
    if(NOT ARG_VERSION)
        set(ARG_VERSION ${PROJECT_VERSION})
    endif()
    get_filename_component(source ${source} ABSOLUTE)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    add_custom_command(
        OUTPUT ${generated}
        COMMAND kova_rescompile --version ${ARG_VERSION} --embed ${generated} ${source}
        DEPENDS kova_rescompile ${source}
        COMMENT "Embedded resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE ${generated})
endfunction()
