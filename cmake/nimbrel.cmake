# Every source file below the given folders, found again whenever a file is added.
function(nimbrel_collect_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# One layer of the program: a static library of every source below FOLDERS
# that sees only its own headers and those of the layers it USES, so an
# include that points up fails to build. Each layer's folders appear, by
# their paths from the source root, under an include root of its own in the
# build folder; the layers used pass their roots on.
#   nimbrel_layer(<name> FOLDERS <dirs..> [EXCLUDE <dirs or files..>] [USES <targets..>] [OBJECT])
# makes the target nimbrel_<name>.
function(nimbrel_layer name)
  cmake_parse_arguments(LAYER "OBJECT" "" "FOLDERS;EXCLUDE;USES" ${ARGN})
  nimbrel_collect_sources(sources ${LAYER_FOLDERS})
  foreach(dir ${LAYER_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${dir}(/|$)")
  endforeach()
  if(LAYER_OBJECT)
    add_library(nimbrel_${name} OBJECT ${sources})
  else()
    add_library(nimbrel_${name} STATIC ${sources})
  endif()
  nimbrel_include_root(nimbrel_${name} ${name} ${LAYER_FOLDERS})
  target_link_libraries(nimbrel_${name} PUBLIC ${LAYER_USES})
  if(NIMBREL_POOL_PASSTHROUGH)
    target_compile_definitions(nimbrel_${name} PUBLIC NIMBREL_POOL_PASSTHROUGH=1)
  endif()
endfunction()

# An include root under the build folder that shows only the given folders
# (by links), added to the target's public include directories.
function(nimbrel_include_root target root_name)
  set(root ${CMAKE_BINARY_DIR}/include_roots/${root_name})
  foreach(dir ${ARGN})
    get_filename_component(parent ${root}/${dir} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${dir})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${root}/${dir} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
