# GoogleTest and GoogleMock built from Debian's googletest sources for the
# cross build (Debian ships them compiled for Linux only). Their own CMake
# project names the targets as find_package(GTest) does (GTest::gtest, ...).
set(VUBLE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${VUBLE_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VUBLE_GTEST_SOURCE_DIR} "
                      "(Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VUBLE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
