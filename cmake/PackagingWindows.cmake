# The zip for Windows users (cpack -G ZIP in the Windows build folder): zarnik-cli.exe, the help
# page and the README's Windows section as a text file, in one folder zarnik-VERSION-win64.

# The section runs from its heading to the next heading of the same level.
file(READ ${CMAKE_SOURCE_DIR}/README.md zarnik_readme)
string(FIND "${zarnik_readme}" "\n## Windows" zarnik_at)
if(zarnik_at EQUAL -1)
  message(FATAL_ERROR "README.md has no \"## Windows\" section for the Windows zip")
endif()
math(EXPR zarnik_at "${zarnik_at} + 1")
string(SUBSTRING "${zarnik_readme}" ${zarnik_at} -1 zarnik_section)
string(FIND "${zarnik_section}" "\n## " zarnik_end)
if(NOT zarnik_end EQUAL -1)
  string(SUBSTRING "${zarnik_section}" 0 ${zarnik_end} zarnik_section)
endif()
# Notepad and every other Windows editor read this one with CR LF line ends.
string(REPLACE "\n" "\r\n" zarnik_section "${zarnik_section}")
file(WRITE ${CMAKE_BINARY_DIR}/README-Windows.txt "${zarnik_section}\r\n")

install(FILES ${CMAKE_BINARY_DIR}/README-Windows.txt docs/help/zarnik_help.html DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zarnik)
set(CPACK_PACKAGE_VENDOR "Zarnik")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zarnik-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
