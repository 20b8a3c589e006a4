# The Windows build, cross-compiled on Linux with MinGW-w64 (cmake/toolchain-mingw64.cmake).
# Debian has no MinGW packages of our libraries: the header-only ones are taken from the build
# machine's include folder, GoogleTest and libxlsxwriter are built from their sources for the
# target inside this build. Nothing is downloaded here; scripts/test-windows.sh fetches
# libxlsxwriter's Debian source package and passes its folder in.

set(ZARNIK_HOST_INCLUDE_DIR /usr/include CACHE PATH
    "Folder holding the build machine's CLI/ and nlohmann/ headers")
set(ZARNIK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest's sources (Debian package googletest)")
set(ZARNIK_XLSXWRITER_SOURCE_DIR "" CACHE PATH
    "libxlsxwriter's source tree (Debian source package libxlsxwriter)")

# -- header-only libraries: only their own folders, never the host's whole /usr/include, whose
#    C library headers are not the target's.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(dir CLI nlohmann)
  if(NOT EXISTS ${ZARNIK_HOST_INCLUDE_DIR}/${dir})
    message(FATAL_ERROR "${ZARNIK_HOST_INCLUDE_DIR}/${dir} is missing: install libcli11-dev and "
                        "nlohmann-json3-dev")
  endif()
  file(COPY ${ZARNIK_HOST_INCLUDE_DIR}/${dir} DESTINATION ${host_headers})
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${host_headers})

# -- GoogleTest from Debian's copy of its sources.
if(NOT EXISTS ${ZARNIK_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${ZARNIK_GTEST_SOURCE_DIR}: install googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZARNIK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock)
  target_compile_options(${lib} PRIVATE -w)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# -- libxlsxwriter, static, with the target's zlib (libz-mingw-w64-dev).
if(NOT EXISTS ${ZARNIK_XLSXWRITER_SOURCE_DIR}/include/xlsxwriter.h)
  message(FATAL_ERROR "Set ZARNIK_XLSXWRITER_SOURCE_DIR to libxlsxwriter's sources "
                      "(scripts/test-windows.sh unpacks Debian's source package)")
endif()
find_library(ZARNIK_TARGET_ZLIB NAMES libz.a REQUIRED)
find_path(ZARNIK_TARGET_ZLIB_INCLUDE zlib.h REQUIRED)
include(ExternalProject)
set(xlsx_prefix ${CMAKE_BINARY_DIR}/xlsxwriter)
ExternalProject_Add(xlsxwriter_build
  SOURCE_DIR ${ZARNIK_XLSXWRITER_SOURCE_DIR}
  PREFIX ${xlsx_prefix}
  INSTALL_DIR ${xlsx_prefix}/install
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw64.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=lib
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_TESTS=OFF
    -DBUILD_EXAMPLES=OFF
    -DZLIB_LIBRARY=${ZARNIK_TARGET_ZLIB}
    -DZLIB_INCLUDE_DIR=${ZARNIK_TARGET_ZLIB_INCLUDE}
  BUILD_BYPRODUCTS ${xlsx_prefix}/install/lib/libxlsxwriter.a
  EXCLUDE_FROM_ALL TRUE)
file(MAKE_DIRECTORY ${xlsx_prefix}/install/include)
add_library(zarnik_xlsxwriter STATIC IMPORTED)
set_target_properties(zarnik_xlsxwriter PROPERTIES
  IMPORTED_LOCATION ${xlsx_prefix}/install/lib/libxlsxwriter.a
  INTERFACE_INCLUDE_DIRECTORIES ${xlsx_prefix}/install/include
  INTERFACE_LINK_LIBRARIES ${ZARNIK_TARGET_ZLIB})
add_dependencies(zarnik_xlsxwriter xlsxwriter_build)
set(ZARNIK_XLSXWRITER_TARGET zarnik_xlsxwriter)

# -- Tests run as .exe files under Wine, in a prefix of this build's own, without a display.
if(CMAKE_CROSSCOMPILING)
  find_program(ZARNIK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  find_program(ZARNIK_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine
               NO_CMAKE_FIND_ROOT_PATH)
  if(ZARNIK_WINE AND ZARNIK_WINESERVER)
    set(ZARNIK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
  else()
    message(STATUS "No Wine found: the Windows tests are built but cannot run here")
  endif()
endif()
