# The program's floors: each folder of the program is one library that uses only the
# floors below it that it names. Its sources see the headers of those floors, and of the
# floors they use in turn, and no others: an include of a higher floor (viewer/ from
# host/, say) does not compile. Floors are declared bottom up.
#
#   tumbledeck_floor(<folder> [SOURCES <files>...] [USES <folders>...] [LINK <libraries>...])
#
# The library is tumbledeck_<last part of the folder> (tumbledeck_host, tumbledeck_win32).
# A floor without sources is headers only. Every floor and what it uses is written to
# <build>/floors.txt, one line each, bottom up, for the check of the README's map.
function(tumbledeck_floor folder)
  cmake_parse_arguments(PARSE_ARGV 1 floor "" "" "SOURCES;USES;LINK")
  get_filename_component(leaf ${folder} NAME)
  set(target tumbledeck_${leaf})

  set(seen ${folder})
  set(libraries)
  foreach(used IN LISTS floor_USES)
    get_property(closure GLOBAL PROPERTY tumbledeck_floor_closure_${used})
    if(NOT closure)
      message(FATAL_ERROR "floor ${folder} uses ${used}, which is not declared below it")
    endif()
    list(APPEND seen ${closure})
    get_filename_component(used_leaf ${used} NAME)
    list(APPEND libraries tumbledeck_${used_leaf})
  endforeach()
  list(REMOVE_DUPLICATES seen)
  set_property(GLOBAL PROPERTY tumbledeck_floor_closure_${folder} ${seen})

  # The headers this floor may include, each linked into a tree of its own.
  set(tree ${CMAKE_BINARY_DIR}/floors/${leaf})
  file(REMOVE_RECURSE ${tree})
  foreach(visible IN LISTS seen)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
         ${CMAKE_SOURCE_DIR}/${visible}/*.h)
    foreach(header IN LISTS headers)
      get_filename_component(parent ${tree}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${tree}/${header} SYMBOLIC)
    endforeach()
  endforeach()

  if(floor_SOURCES)
    add_library(${target} STATIC ${floor_SOURCES})
    target_include_directories(${target} PUBLIC ${tree})
    target_link_libraries(${target} PUBLIC ${libraries} ${floor_LINK})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${tree})
    target_link_libraries(${target} INTERFACE ${libraries} ${floor_LINK})
  endif()

  list(JOIN floor_USES " " uses)
  set_property(GLOBAL APPEND PROPERTY tumbledeck_floors "${folder}: ${uses}")
  get_property(floors GLOBAL PROPERTY tumbledeck_floors)
  list(JOIN floors "\n" lines)
  file(WRITE ${CMAKE_BINARY_DIR}/floors.txt "${lines}\n")
endfunction()
