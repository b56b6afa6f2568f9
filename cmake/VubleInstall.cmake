# What `cmake --install` puts in place: the toy and its desktop entry, the
# framework's static libraries with their public headers, a CMake package
# (VubleToy, targets VubleToy::framework and one per library) and a
# pkg-config file (vuble-toy); and, as the component "testing", the test
# doubles for a program's own tests (target VubleToy::testing, pkg-config
# vuble-toy-testing). Included once, at the end of the top-level
# CMakeLists.txt.
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

# The build keeps its debug information (the default build type has it);
# the installed libraries and the toy go without it, which is most of their
# size. Symbols stay, so a debugger still names the framework's functions.
# vuble_install_stripped(component destination target...)
function(vuble_install_stripped component destination)
  if(NOT CMAKE_STRIP)
    return()
  endif()
  foreach(lib ${ARGN})
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    install(CODE "
      set(installed \"${destination}/$<TARGET_FILE_NAME:${lib}>\")
      if(NOT IS_ABSOLUTE \"\${installed}\")
        set(installed \"\${CMAKE_INSTALL_PREFIX}/\${installed}\")
      endif()
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug \"\$ENV{DESTDIR}\${installed}\"
                      RESULT_VARIABLE result)
      if(NOT result EQUAL 0)
        message(FATAL_ERROR \"${CMAKE_STRIP} --strip-debug \${installed} failed: \${result}\")
      endif()" COMPONENT ${component})
  endforeach()
endfunction()
vuble_install_stripped(Unspecified ${CMAKE_INSTALL_LIBDIR} ${VUBLE_FRAMEWORK_LIBRARIES})

# Headers keep their folder, so programs include them as they are included
# here ("gfx/graphics.h"). Only the headers a program uses are public: not
# the platforms' own folders (platform/linux, platform/sdl), the pieces the
# platforms and the layers share among themselves, or the test doubles,
# which are the testing component's.
set(VUBLE_PUBLIC_HEADERS
    vuble.h
    gfx/flat2d.h gfx/gl_context.h gfx/gl_flat2d_driver.h gfx/gl_graphics.h gfx/graphics.h
    gfx/image.h gfx/image_font.h gfx/overlay.h
    platform/native_platform.h platform/platform.h platform/virtual_keys.h
    platform/windows_macros_push.h platform/windows_macros_pop.h
    support/error.h support/format.h support/object.h support/pixmap.h support/stream.h
    support/text.h support/version.h support/wrapping.h
    system/at_exit.h system/deferred_calls.h system/dialogs.h system/events.h system/hooks.h
    system/polled_input.h system/startup.h system/system_driver.h)
# The fake platform with the window registry and message packing its scripts
# use, the GL recorder with the GL table it fills, and the module resets.
set(VUBLE_TESTING_HEADERS
    platform/fake_platform.h platform/window_registry.h platform/message_packing.h
    gfx/gl_recorder.h gfx/gl_api.h system/module_resets.h)
foreach(component PUBLIC TESTING)
  foreach(header ${VUBLE_${component}_HEADERS})
    get_filename_component(folder ${header} DIRECTORY)
    set(install_component Unspecified)
    if(component STREQUAL "TESTING")
      set(install_component testing)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/${header}
            DESTINATION ${VUBLE_INSTALL_INCLUDEDIR}/${folder} COMPONENT ${install_component})
  endforeach()
endforeach()

# The testing component: its libraries in an export set of their own, which
# the package configuration loads when it is installed.
set_target_properties(vuble_testing PROPERTIES EXPORT_NAME testing)
set_target_properties(vuble_gl_recorder PROPERTIES EXPORT_NAME gl_recorder)
set_target_properties(vuble_platform_fake PROPERTIES EXPORT_NAME platform_fake)
install(TARGETS vuble_testing vuble_gl_recorder vuble_platform_fake
        EXPORT VubleToyTestingTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT testing
        INCLUDES DESTINATION ${VUBLE_INSTALL_INCLUDEDIR})
vuble_install_stripped(testing ${CMAKE_INSTALL_LIBDIR} vuble_gl_recorder vuble_platform_fake)
install(EXPORT VubleToyTestingTargets
        NAMESPACE VubleToy::
        FILE VubleToyTestingTargets.cmake
        DESTINATION ${VUBLE_CMAKE_DIR}
        COMPONENT testing)

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
# The headers need the standard the libraries were built with.
set(VUBLE_PC_CXX_STANDARD "-std=c++${CMAKE_CXX_STANDARD}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vuble-toy.pc.in ${PROJECT_BINARY_DIR}/vuble-toy.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vuble-toy.pc DESTINATION ${VUBLE_PKGCONFIG_DIR})
configure_file(${PROJECT_SOURCE_DIR}/cmake/vuble-toy-testing.pc.in
               ${PROJECT_BINARY_DIR}/vuble-toy-testing.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vuble-toy-testing.pc DESTINATION ${VUBLE_PKGCONFIG_DIR}
        COMPONENT testing)

# The toy, its desktop entry, the framework's licence and the licence of the
# fonts compiled into it.
if(TARGET vuble-toy)
  install(TARGETS vuble-toy RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  vuble_install_stripped(Unspecified ${CMAKE_INSTALL_BINDIR} vuble-toy)
  install(FILES ${PROJECT_SOURCE_DIR}/data/vuble-toy.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/fonts/Terminus-OFL.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
