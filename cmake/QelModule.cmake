# qel_module(name [DEPS targets...]): a static library of every .cpp in the calling folder. It may call
# only the libraries it names; its layer check fails the build when it calls into any other.
function(qel_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC qel_options ${ARG_DEPS} ${QEL_WIN32_LIBS})
  qel_layer_check(${name})
endfunction()

# qel_window_module(name [DEPS window modules...]): a window module above app, which may call app,
# everything below it and the window modules it names. The console program links every one of them.
function(qel_window_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  qel_module(${name} DEPS ${ARG_DEPS} app)
  set_property(GLOBAL APPEND PROPERTY QEL_WINDOW_MODULES ${name})
endfunction()

# qel_layer_check(name): a program linking every object of the library, not only the ones something
# happens to use, against the libraries the library declares and nothing else. A call into a library
# it does not declare (a layer above it, or a window module it does not name) stays undefined and
# fails this link, although the console program, which links everything, would still link.
function(qel_layer_check name)
  add_executable(layercheck_${name} ${CMAKE_SOURCE_DIR}/cmake/LayerCheck.cpp)
  target_link_libraries(layercheck_${name} PRIVATE
    -Wl,--whole-archive $<TARGET_FILE:${name}> -Wl,--no-whole-archive ${name})
  target_link_options(layercheck_${name} PRIVATE -s)
  set_target_properties(layercheck_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layercheck)
endfunction()
