# Libraries whose DLLs load on the first call into them instead of at process start:
# the program needs them only after its window shows (the online extras, COM and the
# shell) or once it clicks (the timer resolution), and loading them all before the
# window would cost the start-up most of its time.
#   qw_delay_load(<target> <library>...)    e.g. qw_delay_load(QwClicker wininet ole32)
#
# MSVC delay-loads by a linker option. mingw-w64 has no such option in GNU ld: each
# library gets a delay-import library made by dlltool from the functions of the
# toolchain's own import library, linked instead of that import library, so that a
# call into it cannot quietly load the DLL at start again (64-bit only, see below).
function(qw_delay_load target)
  if(MSVC)
    foreach(library IN LISTS ARGN)
      target_link_libraries(${target} PUBLIC ${library})
      target_link_options(${target} PUBLIC /DELAYLOAD:${library}.dll)
    endforeach()
    target_link_libraries(${target} PUBLIC delayimp)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The 32-bit delay-import libraries of this dlltool (binutils 2.40) do not work with
    # mingw-w64's helper: the first call into such a library jumps to address 0. The
    # 32-bit program therefore loads these libraries at start, as before.
    target_link_libraries(${target} PUBLIC ${ARGN})
    return()
  endif()
  set(folder ${CMAKE_BINARY_DIR}/delay_load)
  file(MAKE_DIRECTORY ${folder})
  foreach(library IN LISTS ARGN)
    find_library(import_${library} NAMES lib${library}.a)
    if(NOT import_${library})
      message(FATAL_ERROR "no import library lib${library}.a in the toolchain")
    endif()
    set(delay_library ${folder}/lib${library}_delay.a)
    if(NOT EXISTS ${delay_library} OR ${import_${library}} IS_NEWER_THAN ${delay_library})
      execute_process(COMMAND ${CMAKE_DLLTOOL} --identify ${import_${library}}
                      OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed_identify)
      execute_process(COMMAND ${CMAKE_NM} --defined-only ${import_${library}}
                      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed_nm)
      if(failed_identify OR failed_nm OR dll STREQUAL "")
        message(FATAL_ERROR "cannot read the import library ${import_${library}}")
      endif()
      # Each function's "__imp_Name", the pointer a call goes through.
      string(REGEX MATCHALL "[ \t]I __imp_[^\r\n]+" imports "${symbols}")
      set(definition "LIBRARY ${dll}\nEXPORTS\n")
      foreach(import IN LISTS imports)
        string(REGEX REPLACE "^[ \t]I __imp_" "" name "${import}")
        string(APPEND definition "${name}\n")
      endforeach()
      file(WRITE ${folder}/${library}.def "${definition}")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${library}.def --dllname ${dll}
                              --output-delaylib ${delay_library}
                      RESULT_VARIABLE failed_dlltool)
      if(failed_dlltool)
        file(REMOVE ${delay_library})
        message(FATAL_ERROR "dlltool could not make ${delay_library}")
      endif()
    endif()
    target_link_libraries(${target} PUBLIC ${delay_library})
  endforeach()
  target_link_libraries(${target} PUBLIC delayimp)
endfunction()
