# The Wines the Windows tests run on: the machine's own (Wine 8 on Debian 12), and Wine 10
# from a Debian 13 root that the fixture wine10.root makes once with debootstrap and keeps
# under build/wine10/ (tools/wine10-root.sh). Each Wine has a base prefix of its own,
# made by the fixture <wine>.prefix; a case copies it.
#
#   add_wine_test(<name> COMMAND <command>... [TIMEOUT <s>])
#
# adds <name> on the machine's Wine and wine10.<name> on Wine 10. In COMMAND, @BASE@
# stands for that Wine's base prefix and @WORK@ for a work folder of that Wine's own.
set(tumbledeck_wine10_root ${CMAKE_SOURCE_DIR}/build/wine10/root)
set(tumbledeck_winekit PYTHONPATH=${CMAKE_SOURCE_DIR}/tests/support)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(tumbledeck_wines machine wine10)

# The name prefix, folder, fixture and environment of one Wine's tests.
function(tumbledeck_wine_settings wine)
  if(wine STREQUAL "machine")
    set(wine_prefix "" PARENT_SCOPE)
    set(wine_work ${CMAKE_BINARY_DIR}/e2e PARENT_SCOPE)
    set(wine_fixture e2e_prefix PARENT_SCOPE)
    set(wine_env ${tumbledeck_winekit} PARENT_SCOPE)
  else()
    set(wine_prefix "wine10." PARENT_SCOPE)
    set(wine_work ${CMAKE_BINARY_DIR}/e2e-wine10 PARENT_SCOPE)
    set(wine_fixture wine10_prefix PARENT_SCOPE)
    set(wine_env ${tumbledeck_winekit} WINEKIT_ROOT=${tumbledeck_wine10_root} PARENT_SCOPE)
  endif()
endfunction()

# The Debian 13 root, then each Wine's base prefix (wineboot takes ~20 s, a copy ~1.5 s).
add_test(NAME wine10.root
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/wine10-root.sh ${tumbledeck_wine10_root})
set_tests_properties(wine10.root PROPERTIES FIXTURES_SETUP wine10_root TIMEOUT 1200
  LABELS wine10)
foreach(wine IN LISTS tumbledeck_wines)
  tumbledeck_wine_settings(${wine})
  add_test(NAME ${wine_prefix}e2e.prefix
    COMMAND ${Python3_EXECUTABLE} -m winekit base
            --out ${wine_work}/base-prefix --findstr $<TARGET_FILE:findstr>)
  set_tests_properties(${wine_prefix}e2e.prefix PROPERTIES FIXTURES_SETUP ${wine_fixture}
    TIMEOUT 300 ENVIRONMENT "${wine_env}")
  if(wine STREQUAL "wine10")
    set_tests_properties(${wine_prefix}e2e.prefix PROPERTIES FIXTURES_REQUIRED wine10_root
      LABELS wine10)
  endif()
endforeach()

function(add_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 test "" "TIMEOUT" "COMMAND")
  if(NOT test_TIMEOUT)
    set(test_TIMEOUT 240)
  endif()
  foreach(wine IN LISTS tumbledeck_wines)
    tumbledeck_wine_settings(${wine})
    list(TRANSFORM test_COMMAND REPLACE "@BASE@" ${wine_work}/base-prefix OUTPUT_VARIABLE command)
    list(TRANSFORM command REPLACE "@WORK@" ${wine_work}/work)
    add_test(NAME ${wine_prefix}${name} COMMAND ${command})
    set(labels e2e)
    if(wine STREQUAL "wine10")
      list(APPEND labels wine10)
    endif()
    set_tests_properties(${wine_prefix}${name} PROPERTIES FIXTURES_REQUIRED ${wine_fixture}
      TIMEOUT ${test_TIMEOUT} LABELS "${labels}" ENVIRONMENT "${wine_env}")
  endforeach()
endfunction()
