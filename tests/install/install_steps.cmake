# The install test's steps, run by CTest as `cmake -DSTEP=... -P`. Every
# program is started with an argument vector (execute_process), never through
# a shell.
#   install             cmake --install into WORK_DIR/prefix, then check the
#                       tree: files, no SDL/GL/X11 includes, desktop entry
#   consumer_cmake      build the text example with find_package(VubleToy)
#   consumer_pkgconfig  build it with `pkg-config --cflags --libs vuble-toy`
#   headers             compile each installed header on its own
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK_DIR}/prefix)
set(include_dir ${prefix}/${INCLUDEDIR})

# Runs one program; stops the test with its output unless it exits with 0.
function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc STREQUAL "0")
    list(JOIN ARGN " " line)
    message(FATAL_ERROR "${what} failed (${rc}):\n${line}\n${out}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_file path)
  if(NOT EXISTS ${prefix}/${path} OR IS_DIRECTORY ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

function(expect_absent path)
  if(EXISTS ${prefix}/${path})
    message(FATAL_ERROR "installed but internal: ${path}")
  endif()
endfunction()

# Copies the text example and its loop helper into a folder of their own.
function(copy_example to)
  file(MAKE_DIRECTORY ${to}/examples)
  file(COPY_FILE ${VUBLE_SOURCE_DIR}/examples/text.cpp ${to}/text.cpp)
  file(COPY_FILE ${VUBLE_SOURCE_DIR}/examples/example_loop.h ${to}/examples/example_loop.h)
endfunction()

# The desktop entry: the keys a menu needs, and desktop-file-validate's
# verdict where that tool is installed.
function(check_desktop_entry path)
  # Semicolons separate CMake list items, so the entry's own ones (value
  # lists such as Categories) are read as '|'.
  file(READ ${path} content)
  string(REPLACE ";" "|" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  list(FILTER lines EXCLUDE REGEX "^[ \t]*(#|$)")
  list(GET lines 0 group)
  if(NOT group STREQUAL "[Desktop Entry]")
    message(FATAL_ERROR "desktop entry starts with '${group}', not [Desktop Entry]")
  endif()
  foreach(expected "Type=Application" "Name=Vuble Toy" "Exec=vuble-toy"
                   "Categories=Game|Simulation|")
    string(REGEX REPLACE "=.*" "" key "${expected}")
    set(found ${lines})
    list(FILTER found INCLUDE REGEX "^${key}=")
    if(NOT found STREQUAL expected)
      message(FATAL_ERROR "desktop entry: expected '${expected}', found '${found}'")
    endif()
  endforeach()
  find_program(validate desktop-file-validate)
  if(validate)
    run_checked("desktop-file-validate" ${validate} ${path})
    if(NOT run_output STREQUAL "")
      message(FATAL_ERROR "desktop-file-validate: ${run_output}")
    endif()
  else()
    message(STATUS "desktop-file-validate not installed; keys checked only")
  endif()
endfunction()

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${WORK_DIR})
  run_checked("install" ${CMAKE_COMMAND} --install ${VUBLE_BUILD_DIR} --prefix ${prefix})

  expect_file(${BINDIR}/vuble-toy)
  foreach(lib gfx system platform support platform_sdl platform_linux)
    expect_file(${LIBDIR}/libvuble_${lib}.a)
  endforeach()
  foreach(file VubleToyConfig.cmake VubleToyConfigVersion.cmake VubleToyTargets.cmake)
    expect_file(${LIBDIR}/cmake/VubleToy/${file})
  endforeach()
  expect_file(${LIBDIR}/pkgconfig/vuble-toy.pc)
  expect_file(${DATADIR}/applications/vuble-toy.desktop)
  foreach(header gfx/graphics.h gfx/flat2d.h system/polled_input.h system/startup.h
                 support/pixmap.h platform/platform.h platform/native_platform.h
                 platform/sdl/sdl_platform.h platform/linux/linux_platform.h)
    expect_file(${INCLUDEDIR}/${header})
  endforeach()
  # The SDL2 platform's internals and the toy's own code are not installed.
  foreach(path ${INCLUDEDIR}/platform/sdl/sdl_state.h ${INCLUDEDIR}/sim ${INCLUDEDIR}/app
               ${LIBDIR}/libvuble_sim.a ${LIBDIR}/libvuble_app.a)
    expect_absent(${path})
  endforeach()

  # No installed header may need SDL, OpenGL or X11 headers.
  file(GLOB_RECURSE headers ${include_dir}/*.h)
  foreach(header ${headers})
    file(STRINGS ${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|GL/|X11/)")
    if(includes)
      message(FATAL_ERROR "${header} includes a platform header: ${includes}")
    endif()
  endforeach()

  check_desktop_entry(${prefix}/${DATADIR}/applications/vuble-toy.desktop)

elseif(STEP STREQUAL "consumer_cmake")
  set(build ${WORK_DIR}/consumer-cmake)
  file(REMOVE_RECURSE ${build})
  run_checked("configure" ${CMAKE_COMMAND} -S ${VUBLE_SOURCE_DIR}/tests/install/consumer
              -B ${build} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
              -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
              -DVUBLE_PREFIX=${prefix} -DVUBLE_VERSION=${VUBLE_VERSION}
              -DVUBLE_EXAMPLES_DIR=${VUBLE_SOURCE_DIR}/examples
              "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
  run_checked("build" ${CMAKE_COMMAND} --build ${build})
  if(NOT EXISTS ${build}/example_text)
    message(FATAL_ERROR "the build made no example_text")
  endif()

elseif(STEP STREQUAL "consumer_pkgconfig")
  find_program(pkg_config pkg-config REQUIRED)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  run_checked("pkg-config version" ${pkg_config} --modversion vuble-toy)
  string(STRIP "${run_output}" version)
  if(NOT version STREQUAL VUBLE_VERSION)
    message(FATAL_ERROR "pkg-config reports version '${version}', not ${VUBLE_VERSION}")
  endif()
  run_checked("pkg-config" ${pkg_config} --cflags --libs vuble-toy)
  separate_arguments(package_flags UNIX_COMMAND "${run_output}")
  if(NOT package_flags MATCHES "-lvuble_gfx")
    message(FATAL_ERROR "pkg-config names no framework library: ${run_output}")
  endif()

  set(build ${WORK_DIR}/consumer-pkgconfig)
  file(REMOVE_RECURSE ${build})
  copy_example(${build}/src)
  separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
  run_checked("compile and link" ${CXX} -std=c++20 -Wall -Wextra -Werror ${extra}
              -I${build}/src ${build}/src/text.cpp -o ${build}/example_text ${package_flags})
  if(NOT EXISTS ${build}/example_text)
    message(FATAL_ERROR "the compiler made no example_text")
  endif()

elseif(STEP STREQUAL "headers")
  set(build ${WORK_DIR}/headers)
  file(REMOVE_RECURSE ${build})
  run_checked("configure" ${CMAKE_COMMAND} -S ${VUBLE_SOURCE_DIR}/tests/install/headers
              -B ${build} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
              -DVUBLE_INCLUDE_DIR=${include_dir})
  run_checked("build" ${CMAKE_COMMAND} --build ${build})

else()
  message(FATAL_ERROR "unknown step '${STEP}'")
endif()
