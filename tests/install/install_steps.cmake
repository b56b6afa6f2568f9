# The install test's steps, run by CTest as `cmake -DSTEP=... -P`. Every
# program is started with an argument vector (execute_process), never through
# a shell.
#   install             cmake --install into WORK_DIR/prefix, then check the
#                       tree: files, no SDL/GL/X11 includes, desktop entry,
#                       version, no debug information; and an install
#                       without the testing component
#   consumer_cmake      build each example, copied alone, with
#                       find_package(VubleToy), and run a test built on the
#                       testing component (VubleToy::testing)
#   consumer_pkgconfig  the same with `pkg-config --cflags --libs vuble-toy`
#                       and vuble-toy-testing
#   headers             compile each installed header on its own
#   first_program       build the README's first program as printed there,
#                       with CMake and with pkg-config, and end each build's
#                       program with Escape on the X server ($DISPLAY)
cmake_minimum_required(VERSION 3.25)

set(prefix ${WORK_DIR}/prefix)
set(include_dir ${prefix}/${INCLUDEDIR})
# What a careful user compiles with: the framework's headers must not warn.
set(warnings -Wall -Wextra -Wshadow -Wconversion -Werror)
# The same for the projects configured below, as one argument.
list(JOIN warnings " " warning_text)

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

set(examples text image keyboard)
set(framework_libraries gfx system platform support platform_linux platform_sdl)
# The testing component.
set(testing_libraries gl_recorder platform_fake)
set(testing_headers platform/fake_platform.h platform/window_registry.h
                    platform/message_packing.h gfx/gl_recorder.h gfx/gl_api.h
                    system/module_resets.h)

# The fenced block opened by the line "```lang" in the README's section
# "Your first program", as printed.
function(readme_block lang out)
  file(READ ${VUBLE_SOURCE_DIR}/README.md readme)
  string(FIND "${readme}" "\n## Your first program\n" start)
  if(start LESS 0)
    message(FATAL_ERROR "README.md has no section 'Your first program'")
  endif()
  math(EXPR start "${start} + 1")
  string(SUBSTRING "${readme}" ${start} -1 section)
  string(FIND "${section}" "\n## " end)
  string(SUBSTRING "${section}" 0 ${end} section)
  string(FIND "${section}" "\n```${lang}\n" open)
  if(open LESS 0)
    message(FATAL_ERROR "the README's first program has no ```${lang} block")
  endif()
  string(LENGTH "\n```${lang}\n" skip)
  math(EXPR open "${open} + ${skip}")
  string(SUBSTRING "${section}" ${open} -1 block)
  string(FIND "${block}" "\n```" close)
  string(SUBSTRING "${block}" 0 ${close} block)
  set(${out} "${block}\n" PARENT_SCOPE)
endfunction()

# The test on the testing component, run: the turned line as the guide
# says the recorder sees it.
set(testing_source ${VUBLE_SOURCE_DIR}/tests/install/testing/display_free_test.cpp)
function(expect_display_free_output program)
  run_checked("${program}" ${program})
  set(expected "Begin(GL_LINES) Vertex2f(100.5,100.5) Vertex2f(100.5,110.5) End()\n")
  if(NOT run_output STREQUAL expected)
    message(FATAL_ERROR "${program} printed '${run_output}', not '${expected}'")
  endif()
endfunction()

# Runs program on the X server until Escape ends it; its status must be 0.
function(run_to_escape title program)
  if("$ENV{DISPLAY}" STREQUAL "")
    message(FATAL_ERROR "the first program needs an X server: DISPLAY is not set")
  endif()
  run_checked("${program}, ended with Escape," ${ESCAPE_RUN} ${title} 60 ${program})
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
  foreach(lib ${framework_libraries} ${testing_libraries})
    expect_file(${LIBDIR}/libvuble_${lib}.a)
  endforeach()
  foreach(file VubleToyConfig.cmake VubleToyConfigVersion.cmake VubleToyTargets.cmake
               VubleToyTestingTargets.cmake)
    expect_file(${LIBDIR}/cmake/VubleToy/${file})
  endforeach()
  expect_file(${LIBDIR}/pkgconfig/vuble-toy.pc)
  expect_file(${LIBDIR}/pkgconfig/vuble-toy-testing.pc)
  expect_file(${DATADIR}/applications/vuble-toy.desktop)
  expect_file(${DOCDIR}/LICENSE)
  expect_file(${DOCDIR}/Terminus-OFL.txt)
  foreach(header vuble.h gfx/graphics.h gfx/flat2d.h system/polled_input.h system/startup.h
                 support/pixmap.h platform/platform.h platform/native_platform.h
                 ${testing_headers})
    expect_file(${INCLUDEDIR}/${header})
  endforeach()
  # The platforms' own folders, the pieces the layers share among
  # themselves and the toy's own code are not installed.
  foreach(path ${INCLUDEDIR}/platform/sdl ${INCLUDEDIR}/platform/linux
               ${INCLUDEDIR}/system/message_translation.h ${INCLUDEDIR}/gfx/font_resources.h
               ${INCLUDEDIR}/gfx/gl_image_frame.h ${INCLUDEDIR}/sim ${INCLUDEDIR}/app
               ${LIBDIR}/libvuble_sim.a ${LIBDIR}/libvuble_app.a)
    expect_absent(${path})
  endforeach()

  # Without the testing component: no test doubles, and a package that
  # still loads but refuses the component.
  set(core ${WORK_DIR}/core)
  run_checked("install without testing" ${CMAKE_COMMAND} --install ${VUBLE_BUILD_DIR}
              --prefix ${core} --component Unspecified)
  foreach(path ${testing_headers} ${testing_libraries})
    if(path MATCHES "/")
      set(path ${core}/${INCLUDEDIR}/${path})
    else()
      set(path ${core}/${LIBDIR}/libvuble_${path}.a)
    endif()
    if(EXISTS ${path})
      message(FATAL_ERROR "installed without the testing component: ${path}")
    endif()
  endforeach()
  run_checked("configure against the core" ${CMAKE_COMMAND}
              -S ${VUBLE_SOURCE_DIR}/tests/install/components -B ${WORK_DIR}/components
              -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${core} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)

  # No installed header may need SDL, OpenGL or X11 headers.
  file(GLOB_RECURSE headers ${include_dir}/*.h)
  foreach(header ${headers})
    file(STRINGS ${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|GL/|X11/)")
    if(includes)
      message(FATAL_ERROR "${header} includes a platform header: ${includes}")
    endif()
  endforeach()

  check_desktop_entry(${prefix}/${DATADIR}/applications/vuble-toy.desktop)

  # The version macro programs test is the package's version.
  file(STRINGS ${include_dir}/support/version.h version_line
       REGEX "^#define VUBLE_VERSION_STRING ")
  if(NOT version_line STREQUAL "#define VUBLE_VERSION_STRING \"${VUBLE_VERSION}\"")
    message(FATAL_ERROR "support/version.h says '${version_line}', the package ${VUBLE_VERSION}")
  endif()

  # The installed libraries and the toy carry no debug information (the
  # build's do).
  find_program(readelf readelf REQUIRED)
  set(installed_binaries ${BINDIR}/vuble-toy)
  foreach(lib ${framework_libraries} ${testing_libraries})
    list(APPEND installed_binaries ${LIBDIR}/libvuble_${lib}.a)
  endforeach()
  foreach(binary ${installed_binaries})
    run_checked("readelf" ${readelf} -S -W ${prefix}/${binary})
    if(run_output MATCHES "\\.debug_")
      message(FATAL_ERROR "${binary} is installed with debug information")
    endif()
  endforeach()

elseif(STEP STREQUAL "consumer_cmake")
  set(build ${WORK_DIR}/consumer-cmake)
  file(REMOVE_RECURSE ${build})
  run_checked("configure" ${CMAKE_COMMAND} -S ${VUBLE_SOURCE_DIR}/tests/install/consumer
              -B ${build} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
              -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
              -DVUBLE_PREFIX=${prefix} -DVUBLE_VERSION=${VUBLE_VERSION}
              -DVUBLE_EXAMPLES_DIR=${VUBLE_SOURCE_DIR}/examples "-DVUBLE_WARNINGS=${warning_text}"
              -DVUBLE_TESTING_SOURCE=${testing_source}
              "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
  run_checked("build" ${CMAKE_COMMAND} --build ${build})
  foreach(example ${examples})
    if(NOT EXISTS ${build}/example_${example})
      message(FATAL_ERROR "the build made no example_${example}")
    endif()
  endforeach()
  expect_display_free_output(${build}/display_free_test)

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
  # The headers need C++20; the flags say so, so the compile line below
  # names no standard of its own.
  if(NOT "-std=c++20" IN_LIST package_flags)
    message(FATAL_ERROR "pkg-config's flags name no -std=c++20: ${run_output}")
  endif()

  # Each example copied alone into a folder of its own: it needs nothing
  # of the source tree.
  set(build ${WORK_DIR}/consumer-pkgconfig)
  file(REMOVE_RECURSE ${build})
  separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
  foreach(example ${examples})
    file(MAKE_DIRECTORY ${build}/${example})
    file(COPY_FILE ${VUBLE_SOURCE_DIR}/examples/${example}.cpp ${build}/${example}/${example}.cpp)
    run_checked("compile and link" ${CXX} ${warnings} ${extra} ${build}/${example}/${example}.cpp
                -o ${build}/example_${example} ${package_flags})
    if(NOT EXISTS ${build}/example_${example})
      message(FATAL_ERROR "the compiler made no example_${example}")
    endif()
  endforeach()
  run_checked("pkg-config testing" ${pkg_config} --cflags --libs vuble-toy-testing)
  separate_arguments(testing_flags UNIX_COMMAND "${run_output}")
  run_checked("compile and link the test" ${CXX} ${warnings} ${extra} ${testing_source}
              -o ${build}/display_free_test ${testing_flags})
  expect_display_free_output(${build}/display_free_test)

elseif(STEP STREQUAL "headers")
  set(build ${WORK_DIR}/headers)
  file(REMOVE_RECURSE ${build})
  run_checked("configure" ${CMAKE_COMMAND} -S ${VUBLE_SOURCE_DIR}/tests/install/headers
              -B ${build} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
              -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
              -DVUBLE_INCLUDE_DIR=${include_dir} "-DVUBLE_WARNINGS=${warning_text}")
  run_checked("build" ${CMAKE_COMMAND} --build ${build})

elseif(STEP STREQUAL "first_program")
  set(build ${WORK_DIR}/first-program)
  file(REMOVE_RECURSE ${build})
  readme_block(cpp program)
  readme_block(cmake lists)
  readme_block(sh commands)
  file(WRITE ${build}/src/first.cpp "${program}")
  file(WRITE ${build}/src/CMakeLists.txt "${lists}")
  string(REGEX MATCH "ApplicationTitle = u\"([^\"]*)\"" _ "${program}")
  set(title "${CMAKE_MATCH_1}")
  if(title STREQUAL "")
    message(FATAL_ERROR "the README's first program sets no ApplicationTitle")
  endif()

  # With CMake, as printed, under a careful user's warnings.
  run_checked("configure" ${CMAKE_COMMAND} -S ${build}/src -B ${build}/cmake -G ${GENERATOR}
              -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
              -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF "-DCMAKE_CXX_FLAGS=${warning_text} ${EXTRA_FLAGS}"
              "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
  run_checked("build" ${CMAKE_COMMAND} --build ${build}/cmake)

  # With pkg-config: the printed search path and compile line, the
  # compiler's own arguments and pkg-config's as written there.
  if(NOT commands MATCHES "export PKG_CONFIG_PATH=[$]HOME/vuble/${LIBDIR}/pkgconfig\n")
    message(FATAL_ERROR "the README's PKG_CONFIG_PATH is not the installed ${LIBDIR}/pkgconfig")
  endif()
  if(NOT commands MATCHES "\nc[+][+] ([^\n]*) [$][(]pkg-config ([^)\n]*)[)]\n")
    message(FATAL_ERROR "the README prints no 'c++ ... $(pkg-config ...)' line")
  endif()
  separate_arguments(compile_args UNIX_COMMAND "${CMAKE_MATCH_1}")
  separate_arguments(pkg_config_args UNIX_COMMAND "${CMAKE_MATCH_2}")
  find_program(pkg_config pkg-config REQUIRED)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  run_checked("pkg-config" ${pkg_config} ${pkg_config_args})
  separate_arguments(package_flags UNIX_COMMAND "${run_output}")
  separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
  execute_process(COMMAND ${CXX} ${warnings} ${extra} ${compile_args} ${package_flags}
                  WORKING_DIRECTORY ${build}/src RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "c++ ${compile_args} failed (${rc}):\n${out}")
  endif()

  run_to_escape("${title}" ${build}/cmake/first)
  run_to_escape("${title}" ${build}/src/first)

else()
  message(FATAL_ERROR "unknown step '${STEP}'")
endif()
