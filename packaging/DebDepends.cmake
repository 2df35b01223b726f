# CPack pre-build step: the package's Depends from the shared libraries its ELF files link.
# CPack's own dependency scan would also add ldconfig calls to the maintainer scripts for any
# shared object under /usr/lib; the platform modules there are private to the program and never
# in the linker's search path, so the same tool is run here and the package needs no scripts.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NOT DPKG_SHLIBDEPS)
  message(FATAL_ERROR "dpkg-shlibdeps not found: install dpkg-dev (make deps) to build the package")
endif()

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(elf_files)
foreach(file ${staged})
  if(NOT IS_SYMLINK "${file}")
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      list(APPEND elf_files "${file}")
    endif()
  endif()
endforeach()
if(NOT elf_files)
  message(FATAL_ERROR "no program or module in the package staging directory ${CPACK_TEMPORARY_DIRECTORY}")
endif()

# The tool wants a source package's control file in its working directory; an empty one will do.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${DPKG_SHLIBDEPS} -O ${elf_files}
                WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE "${work}")
if(NOT result EQUAL 0 OR NOT output MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps failed (${result}): ${errors}${output}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
message(STATUS "Depends: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
