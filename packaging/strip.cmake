# Run by CPack on the staged files before they are packed: strips the executables as Debian's own
# tools do, the symbols and the sections no program reads (the compilers' names, the notes).
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(path ${staged})
  if(NOT IS_SYMLINK "${path}")
    file(READ "${path}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46") # ELF
      execute_process(COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note "${path}"
        RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "strip failed on ${path}")
      endif()
    endif()
  endif()
endforeach()
