# The Windows package: a ZIP file (cpack, run in the build folder) holding
# vuble-toy.exe, the examples, a short text on running them and the
# licences. The programs are linked statically, so nothing else goes beside
# them. Included once, at the end of the top-level CMakeLists.txt, for
# Windows builds.
set(VUBLE_PACKAGE_PROGRAMS)
foreach(program vuble-toy example_text example_image example_keyboard)
  if(TARGET ${program})
    list(APPEND VUBLE_PACKAGE_PROGRAMS ${program})
  endif()
endforeach()
install(TARGETS ${VUBLE_PACKAGE_PROGRAMS} RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows-readme.txt DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${PROJECT_SOURCE_DIR}/fonts/Terminus-OFL.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vuble-toy)
set(CPACK_PACKAGE_FILE_NAME vuble-toy-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)  # the debugging information stays in the build folder
include(CPack)
