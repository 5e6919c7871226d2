# The Windows packages: the per-user installer (NSIS) and the portable zip,
# both in the build folder and both made with the program.
find_program(MAKENSIS makensis REQUIRED)
set(setup ${CMAKE_BINARY_DIR}/murvane-${PROJECT_VERSION}-setup.exe)
set(zip ${CMAKE_BINARY_DIR}/murvane-${PROJECT_VERSION}-windows-x64.zip)
set(here ${CMAKE_CURRENT_SOURCE_DIR}/windows)
# The README beside the program in Windows' own line ends.
set(readme ${CMAKE_CURRENT_BINARY_DIR}/README.txt)
file(READ ${here}/README.txt text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${readme} "${text}")

add_custom_command(OUTPUT ${setup}
  COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
          -DPROGRAM=$<TARGET_FILE:murvane> -DICON=${CMAKE_BINARY_DIR}/app/murvane.ico
          -DREADME=${readme} -DOUTFILE=${setup} ${here}/murvane.nsi
  DEPENDS murvane ${here}/murvane.nsi ${readme}
  COMMENT "Making the installer"
  VERBATIM)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/zip/Murvane)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_CURRENT_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:murvane> ${readme} ${staged}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Murvane
  DEPENDS murvane ${readme}
  COMMENT "Making the portable zip"
  VERBATIM)
add_custom_target(murvane_windows_packages ALL DEPENDS ${setup} ${zip})
