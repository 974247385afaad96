# Run by CPack on the staged tree of the Debian package, before it is packed
# (see cmake/CorvanePackage.cmake). The tree is what `make install` writes,
# under usr/.
set(usr "${CPACK_TEMPORARY_DIRECTORY}/usr")
set(source "${CPACK_CORVANE_SOURCE_DIR}")
if(NOT IS_DIRECTORY "${usr}/lib" OR NOT EXISTS "${source}/cli/cvmp3.1")
  message(FATAL_ERROR "Debian staging: no usr/lib in '${CPACK_TEMPORARY_DIRECTORY}' or no cli/cvmp3.1 in '${source}'")
endif()

# No RPATH: the relocatable install finds its libraries through $ORIGIN, the
# package through the loader's search path, of which /usr/lib is part.
# (RPATH_REMOVE is what CMake's own install scripts use for the same.)
file(GLOB elf_files LIST_DIRECTORIES false "${usr}/bin/*" "${usr}/lib/*.so.*.*")
foreach(file IN LISTS elf_files)
  if(NOT IS_SYMLINK "${file}")
    file(RPATH_REMOVE FILE "${file}")
  endif()
endforeach()

# gzip -9n: the most compression and no name or time stamp, so that the same
# text always gives the same bytes.
function(corvane_stage_gzip from to)
  get_filename_component(folder "${to}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  execute_process(COMMAND gzip -9n -c "${from}" OUTPUT_FILE "${to}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Debian staging: gzip ${from} failed")
  endif()
endfunction()

set(doc "${usr}/share/doc/corvanemp3")
corvane_stage_gzip("${source}/cli/cvmp3.1" "${usr}/share/man/man1/cvmp3.1.gz")
corvane_stage_gzip("${source}/packaging/debian/changelog" "${doc}/changelog.gz")
file(COPY "${source}/packaging/debian/copyright" DESTINATION "${doc}")

# What Debian expects of every file and folder, whatever the umask was
# (shared libraries are not executable there).
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${usr}/*")
foreach(path IN LISTS staged)
  if(IS_SYMLINK "${path}")
    continue()
  elseif(IS_DIRECTORY "${path}" OR path MATCHES "/usr/bin/")
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
