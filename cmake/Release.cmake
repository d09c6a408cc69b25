# The download: build/win/Tumbledeck-<version>-win64.zip, holding the program and the
# user part of the README as plain text. `cmake --build --preset win --target package`.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(readme_txt ${CMAKE_BINARY_DIR}/README.txt)
add_custom_command(OUTPUT ${readme_txt}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/readme-to-text.py
          ${CMAKE_SOURCE_DIR}/README.md ${readme_txt}
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/tools/readme-to-text.py
  COMMENT "README.txt for the download")
add_custom_target(readme_txt ALL DEPENDS ${readme_txt})

install(TARGETS Tumbledeck RUNTIME DESTINATION .)
install(FILES ${readme_txt} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tumbledeck)
set(CPACK_PACKAGE_VENDOR "The Tumbledeck team")
set(CPACK_PACKAGE_FILE_NAME "Tumbledeck-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)  # unpacked straight into the master folder
include(CPack)
