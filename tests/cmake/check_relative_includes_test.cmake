# The relative-include check on folders of its own: each row is a source
# and the line the check must name in it (0: none), so every form of a
# relative path is refused at its own line and every include by the path
# from the root passes. "@SEMICOLON@" in a row stands for a semicolon, which
# a list of rows cannot hold.
#   cmake -DCHECK=<check_relative_includes.cmake> -DPATTERNS=<*.h;..> -DSCRATCH=<dir>
#         -P check_relative_includes_test.cmake

set(rows
  "up.cpp|#include \"a.h\"\n#include \"../b.h\"\n|2"
  "here.h|// a@SEMICOLON@ b\n\n  #  include \"./c.h\"\n|3"
  "angled.cpp|#include <x/../d.h>\n|1"
  "deep.cpp|#include \"engine/core/../files/e.h\"\n|1"
  "dots_in_a_name.cpp|#include \"engine/core/..f.h\"\n#include \"engine/core/g..h\"\n|0"
  "comment.cpp|// #include \"../h.h\" was here\n#include \"engine/core/i.h\"\n|0"
  "root.cpp|#include \"engine/core/geometry.h\"\n#include <vector>\n|0")

function(run_check folder out_result out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_ROOT=${SCRATCH} -DFOLDERS=${folder}
    "-DPATTERNS=${PATTERNS}" -DSTAMP=${SCRATCH}/${folder}.stamp -P ${CHECK}
    RESULT_VARIABLE result ERROR_VARIABLE text OUTPUT_VARIABLE ignored)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_text} "${text}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
set(failures)
foreach(row ${rows})
  string(REGEX MATCH "^([^|]*)\\|(.*)\\|([0-9]+)$" fields "${row}")
  set(name ${CMAKE_MATCH_1})
  set(text "${CMAKE_MATCH_2}")
  set(line ${CMAKE_MATCH_3})
  string(ASCII 59 semicolon)
  string(REPLACE "@SEMICOLON@" "${semicolon}" text "${text}")
  string(MAKE_C_IDENTIFIER ${name} folder)
  file(WRITE ${SCRATCH}/${folder}/${name} "${text}")
  run_check(${folder} result said)
  if(line EQUAL 0)
    if(NOT result EQUAL 0 OR NOT EXISTS ${SCRATCH}/${folder}.stamp)
      list(APPEND failures "${name}: refused, but it has no relative include:\n${said}")
    endif()
  else()
    string(REGEX MATCHALL "${folder}/[^:\n]+:[0-9]+:" named "${said}")
    if(result EQUAL 0 OR NOT named STREQUAL "${folder}/${name}:${line}:"
       OR EXISTS ${SCRATCH}/${folder}.stamp)
      list(APPEND failures "${name}: expected to be refused at line ${line} alone, got (${result}):\n${said}")
    endif()
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n" listed)
  message(FATAL_ERROR "${listed}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
