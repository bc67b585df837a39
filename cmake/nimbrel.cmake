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
  add_dependencies(nimbrel_${name} nimbrel_relative_include_check)
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

# The folders whose sources may include only by paths from the source root,
# and what a source file is there.
set(NIMBREL_CODE_FOLDERS engine game sound tools tests bench fuzz)
set(NIMBREL_SOURCE_PATTERNS *.h *.hpp *.c *.cc *.cpp *.inc)

# Refuses an include by a relative path in any of the project's sources (see
# check_relative_includes.cmake): checked again whenever a source changes,
# before any layer compiles, so that every build (and so CI) stops on one.
function(nimbrel_relative_include_check)
  set(checked)
  foreach(dir ${NIMBREL_CODE_FOLDERS})
    list(TRANSFORM NIMBREL_SOURCE_PATTERNS PREPEND ${CMAKE_SOURCE_DIR}/${dir}/ OUTPUT_VARIABLE globs)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${globs})
    list(APPEND checked ${found})
  endforeach()
  set(stamp ${CMAKE_BINARY_DIR}/relative_includes_checked.stamp)
  set(script ${CMAKE_SOURCE_DIR}/cmake/check_relative_includes.cmake)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_ROOT=${CMAKE_SOURCE_DIR} "-DFOLDERS=${NIMBREL_CODE_FOLDERS}"
      "-DPATTERNS=${NIMBREL_SOURCE_PATTERNS}" -DSTAMP=${stamp} -P ${script}
    DEPENDS ${script} ${checked}
    COMMENT "Checking that no include goes by a relative path"
    VERBATIM)
  add_custom_target(nimbrel_relative_include_check ALL DEPENDS ${stamp})
endfunction()
