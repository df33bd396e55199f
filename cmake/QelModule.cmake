# qel_module(name [DEPS targets...]): a static library of every .cpp in the calling folder.
function(qel_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC qel_options ${ARG_DEPS} ${QEL_WIN32_LIBS})
endfunction()
