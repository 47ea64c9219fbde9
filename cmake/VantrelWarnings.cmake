# Warnings are set per target so that third-party code is not affected.
function(vantrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
endfunction()

# A layer library made of every source in its folder. Its include path is a
# folder of its own in the build tree that holds links to its folder and to
# the folders of the layers it builds on (SEES), and nothing else: a source
# that includes a header of a layer above it does not compile.
function(vantrel_layer name)
  cmake_parse_arguments(LAYER "" "" "SEES" ${ARGN})
  get_filename_component(_folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_sources} ${_headers})
  set(_root ${PROJECT_BINARY_DIR}/layers/${_folder})
  file(MAKE_DIRECTORY ${_root})
  foreach(_seen ${_folder} ${LAYER_SEES})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_seen} ${_root}/${_seen} SYMBOLIC)
  endforeach()
  target_include_directories(${name} PUBLIC ${_root})
  set_property(GLOBAL APPEND PROPERTY VANTREL_LAYERS ${_folder})
  vantrel_warnings(${name})
endfunction()
