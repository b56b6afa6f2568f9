# What `cmake --install` puts in place: the toy and its desktop entry, the
# framework's static libraries with their headers, a CMake package (VubleToy,
# targets VubleToy::framework and one per library) and a pkg-config file
# (vuble-toy). Included once, at the end of the top-level CMakeLists.txt.
include(CMakePackageConfigHelpers)

# The framework: everything a program on the 2D layer links, the native
# platform included where it is built (vuble_platform_native, an interface
# target, with the libraries it stands for). The toy's own code (sim, app)
# is not part of it. Listed so that a library comes before those it uses.
set(VUBLE_FRAMEWORK_LIBRARIES vuble_gfx vuble_system vuble_platform vuble_support)
set(VUBLE_FRAMEWORK_FOLDERS gfx system platform support)
if(TARGET vuble_platform_linux)
  list(PREPEND VUBLE_FRAMEWORK_LIBRARIES vuble_platform_linux)
endif()
if(TARGET vuble_platform_sdl)
  list(PREPEND VUBLE_FRAMEWORK_LIBRARIES vuble_platform_sdl)
endif()
if(TARGET vuble_platform_native)
  list(PREPEND VUBLE_FRAMEWORK_LIBRARIES vuble_platform_native)
endif()

add_library(vuble_framework INTERFACE)
target_link_libraries(vuble_framework INTERFACE ${VUBLE_FRAMEWORK_LIBRARIES})
target_compile_features(vuble_framework INTERFACE cxx_std_20)
add_library(VubleToy::framework ALIAS vuble_framework)
set_target_properties(vuble_framework PROPERTIES EXPORT_NAME framework)
foreach(lib ${VUBLE_FRAMEWORK_LIBRARIES})
  # vuble_gfx is exported as VubleToy::gfx, vuble_platform_sdl as
  # VubleToy::platform_sdl.
  string(REGEX REPLACE "^vuble_" "" export_name ${lib})
  set_target_properties(${lib} PROPERTIES EXPORT_NAME ${export_name})
  target_compile_features(${lib} INTERFACE cxx_std_20)
endforeach()

set(VUBLE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VubleToy)
set(VUBLE_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS ${VUBLE_FRAMEWORK_LIBRARIES} vuble_framework
        EXPORT VubleToyTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${VUBLE_INSTALL_INCLUDEDIR})

# Headers keep their folder, so programs include them as they are included
# here ("gfx/graphics.h"). Of the SDL2 platform only the header that names
# the platform is public: the others are its internals and include SDL. The
# Win32 platform's headers are not installed on Linux.
foreach(folder ${VUBLE_FRAMEWORK_FOLDERS})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/
          DESTINATION ${VUBLE_INSTALL_INCLUDEDIR}/${folder}
          FILES_MATCHING PATTERN "*.h"
          PATTERN "sdl" EXCLUDE
          PATTERN "win32" EXCLUDE)
endforeach()
if(TARGET vuble_platform_sdl)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/sdl/sdl_platform.h
          DESTINATION ${VUBLE_INSTALL_INCLUDEDIR}/platform/sdl)
endif()

install(EXPORT VubleToyTargets
        NAMESPACE VubleToy::
        FILE VubleToyTargets.cmake
        DESTINATION ${VUBLE_CMAKE_DIR})

# The libraries are static, so a program that links them also links what
# they use: the package configuration finds those first.
set(VUBLE_WITH_SDL OFF)
if(TARGET vuble_platform_sdl)
  set(VUBLE_WITH_SDL ON)
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VubleToyConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/VubleToyConfig.cmake
                              INSTALL_DESTINATION ${VUBLE_CMAKE_DIR})
# Before 1.0 a new minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VubleToyConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VubleToyConfig.cmake
              ${PROJECT_BINARY_DIR}/VubleToyConfigVersion.cmake
        DESTINATION ${VUBLE_CMAKE_DIR})

# pkg-config: the prefix is found from the file's own place, so the installed
# tree can be moved (and installed with --prefix) without editing it.
# Dependencies go in Requires, not Requires.private: with static libraries a
# plain `pkg-config --libs` must name them too.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(VUBLE_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(VUBLE_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(VUBLE_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/vuble")
else()
  set(VUBLE_PC_INCLUDEDIR "\${prefix}/${VUBLE_INSTALL_INCLUDEDIR}")
endif()
file(RELATIVE_PATH VUBLE_PC_UP "/prefix/${VUBLE_PKGCONFIG_DIR}" "/prefix")
string(REGEX REPLACE "/$" "" VUBLE_PC_UP "${VUBLE_PC_UP}")
set(VUBLE_PC_LIBS "")
foreach(lib ${VUBLE_FRAMEWORK_LIBRARIES})
  get_target_property(type ${lib} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    string(APPEND VUBLE_PC_LIBS " -l${lib}")
  endif()
endforeach()
set(VUBLE_PC_REQUIRES "gl")
if(VUBLE_WITH_SDL)
  set(VUBLE_PC_REQUIRES "sdl2 gl x11")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/vuble-toy.pc.in ${PROJECT_BINARY_DIR}/vuble-toy.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vuble-toy.pc DESTINATION ${VUBLE_PKGCONFIG_DIR})

# The toy, its desktop entry, and the licence of the font compiled into it.
if(TARGET vuble-toy)
  install(TARGETS vuble-toy RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/vuble-toy.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/fonts/Terminus-OFL.txt DESTINATION ${CMAKE_INSTALL_DOCDIR})
