# Checks that the README's map of the floors is the one the build declares: every line of
# <build>/floors.txt ("viewer: forms host run") must stand in the README as a table row
# ("| `viewer/` | `forms/` `host/` `run/` |"), in the same order, and no other floor row
# but the machine that this build leaves out (platform/sim beside win32, or the reverse).
#   cmake -DFLOORS=<build>/floors.txt -DREADME=README.md -P cmake/CheckFloors.cmake
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${FLOORS} floors)
file(STRINGS ${README} readme REGEX "^\\| `[a-z0-9/]+/` \\| (nothing|(`[a-z0-9/]+/` ?)+) \\|$")
set(expected)
foreach(line IN LISTS floors)
  string(REGEX MATCH "^([^:]+): *(.*)$" _ "${line}")
  set(floor ${CMAKE_MATCH_1})
  set(uses "nothing")
  if(CMAKE_MATCH_2)
    string(REGEX REPLACE "([^ ]+)" "`\\1/`" uses "${CMAKE_MATCH_2}")
  endif()
  list(APPEND expected "| `${floor}/` | ${uses} |")
endforeach()
set(rows)
foreach(row IN LISTS readme)
  if(row IN_LIST expected OR NOT row MATCHES "^\\| `platform/[a-z0-9]+/`")
    list(APPEND rows "${row}")
  endif()
endforeach()
if(NOT rows STREQUAL expected)
  list(JOIN expected "\n" want)
  list(JOIN rows "\n" have)
  message(FATAL_ERROR "README's floors differ from the build's.\nBuild:\n${want}\nREADME:\n${have}")
endif()
