# Refuses an include by a relative path ("../x.h", "./x.h", "a/../b.h"):
# such a path is found beside the including file, past the layers' include
# roots, so it would let a layer see a header it must not. Every include
# names its file by the path from the source root instead.
#   cmake -DSOURCE_ROOT=<dir> -DFOLDERS=<dir;..> -DPATTERNS=<*.h;..> -DSTAMP=<file>
#         -P check_relative_includes.cmake
# Fails naming each file and line; touches STAMP when none is found.

set(include_line "(^|\n)[ \t]*#[ \t]*include[ \t]*[\"<]([^\">\n]*/)?\\.\\.?(/|[\">])[^\n]*")
set(refused)
foreach(folder ${FOLDERS})
  list(TRANSFORM PATTERNS PREPEND ${SOURCE_ROOT}/${folder}/ OUTPUT_VARIABLE globs)
  file(GLOB_RECURSE sources ${globs})
  foreach(source ${sources})
    file(READ ${source} text)
    # The rare file with a refused include is searched again for its lines.
    if(NOT text MATCHES "${include_line}")
      continue()
    endif()
    file(RELATIVE_PATH shown ${SOURCE_ROOT} ${source})
    while(text MATCHES "${include_line}")
      set(found "${CMAKE_MATCH_0}")
      string(FIND "${text}" "${found}" at)
      string(SUBSTRING "${text}" 0 ${at} before)
      # The match starts with the line break that ends the line before it.
      string(REGEX MATCHALL "\n" breaks "${before}${CMAKE_MATCH_1}")
      list(LENGTH breaks line)
      math(EXPR line "${line} + 1")
      string(STRIP "${found}" directive)
      list(APPEND refused "${shown}:${line}: ${directive}")
      string(LENGTH "${found}" length)
      math(EXPR after "${at} + ${length}")
      # What follows, with the lines before it kept as breaks so that the
      # next line number counts from the file's start.
      string(SUBSTRING "${text}" ${after} -1 rest)
      string(REGEX REPLACE "[^\n]" "" kept_breaks "${before}${found}")
      set(text "${kept_breaks}${rest}")
    endwhile()
  endforeach()
endforeach()

if(refused)
  list(JOIN refused "\n" listed)
  message(FATAL_ERROR "An include by a relative path is refused; name the file by its path from "
    "the source root (\"engine/core/geometry.h\"), so that the layers' include roots decide "
    "what each file may see:\n${listed}")
endif()
file(TOUCH ${STAMP})
