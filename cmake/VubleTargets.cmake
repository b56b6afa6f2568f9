# One static library per source folder. Sources are the folder's own .cpp
# files (not its subfolders) but those named in EXCLUDE, which a library of
# their own takes; a folder without sources yet becomes an interface library
# so that dependents can already link it. Headers are included from the
# repository root when building and from <prefix>/include/vuble once
# installed (cmake/VubleInstall.cmake).
include(GNUInstallDirs)
set(VUBLE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/vuble)
function(vuble_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                              $<INSTALL_INTERFACE:${VUBLE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                                 $<INSTALL_INTERFACE:${VUBLE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# Under Wine the first listing of a cross-built test program may have to make
# the Wine prefix first (about 15 s).
set(VUBLE_DISCOVERY_TIMEOUT 5)
if(CMAKE_CROSSCOMPILING)
  set(VUBLE_DISCOVERY_TIMEOUT 120)
endif()

# One GoogleTest program of the given sources, linked with deps and the test
# doubles, its tests registered with the given test properties.
function(vuble_test_program name sources deps)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${deps} vuble_testing GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT ${VUBLE_DISCOVERY_TIMEOUT}
                       PROPERTIES ${ARGN})
endfunction()

# One GoogleTest executable per test folder: every *_test.cpp of the folder
# except the real-window ones (*_x11_test.cpp), which form a second
# executable labelled x11 that runs only with an X server; on Windows the
# real-window ones are *_wine_test.cpp (label wine, run under Wine). Each
# links the test doubles (vuble_testing: the fake platform and the GL
# recorder).
function(vuble_test_folder folder)
  cmake_parse_arguments(ARG "" "" "DEPS;NOT_ON_WINDOWS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB x11 CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_x11_test.cpp)
  file(GLOB wine CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_wine_test.cpp)
  set(unit ${all})
  foreach(other x11 wine)
    if(${other})
      list(REMOVE_ITEM unit ${${other}})
    endif()
  endforeach()
  # Tests of one platform's own code are named after its folder (sdl_,
  # linux_, win32_) and built only for that platform.
  if(WIN32)
    list(FILTER unit EXCLUDE REGEX "/(sdl|linux)_[^/]*$")
    foreach(name ${ARG_NOT_ON_WINDOWS})
      list(REMOVE_ITEM unit ${CMAKE_CURRENT_SOURCE_DIR}/${name})
    endforeach()
  else()
    list(FILTER unit EXCLUDE REGEX "/win32_[^/]*$")
  endif()
  if(unit)
    vuble_test_program(${folder}_tests "${unit}" "${ARG_DEPS}" LABELS unit)
  endif()
  if(x11 AND VUBLE_BUILD_SDL)
    vuble_test_program(${folder}_x11_tests "${x11}" "${ARG_DEPS}" LABELS x11 RUN_SERIAL TRUE)
  endif()
  if(wine AND WIN32)
    vuble_test_program(${folder}_wine_tests "${wine}" "${ARG_DEPS}" LABELS wine RUN_SERIAL TRUE)
  endif()
endfunction()
