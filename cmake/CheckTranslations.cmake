# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -P CheckTranslations.cmake FILE.ts...: fails when a translation file has entries a
# translator has not finished, or entries the sources no longer use.
math(EXPR last "${CMAKE_ARGC} - 1")
set(problems "")
foreach(i RANGE 3 ${last})
  set(ts "${CMAKE_ARGV${i}}")
  file(READ "${ts}" text)
  foreach(kind unfinished obsolete vanished)
    string(REGEX MATCHALL "type=\"${kind}\"" hits "${text}")
    list(LENGTH hits count)
    if(count GREATER 0)
      string(APPEND problems "\n  ${ts}: ${count} ${kind}")
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Translations need work (run scripts/update-translations, then translate):${problems}")
endif()
