# Writes the help files' generation date (seconds since 1970) to OUT, and
# touches OUT only when the date changed, so the help files are written
# again only then: the time of the last commit that touched the help
# sources, so that every build of one commit writes the same files. Outside
# a git checkout (a source tarball) it is SOURCE_DATE_EPOCH when set, else
# the newest modification time among the help sources.
execute_process(COMMAND git -C ${SOURCE} log -1 --format=%ct -- resources/help
                OUTPUT_VARIABLE date RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT status EQUAL 0 OR NOT date MATCHES "^[1-9][0-9]*$")
  if("$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[1-9][0-9]*$")
    set(date $ENV{SOURCE_DATE_EPOCH})
  else()
    set(date 1)
    file(GLOB_RECURSE sources ${SOURCE}/resources/help/*.txt)
    foreach(source IN LISTS sources)
      file(TIMESTAMP ${source} stamp "%s" UTC)
      if(stamp GREATER date)
        set(date ${stamp})
      endif()
    endforeach()
  endif()
endif()
set(old "")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL "${date}\n")
  file(WRITE ${OUT} "${date}\n")
endif()
