# TinyXML 2.6.2 as the target qw_tinyxml.
# - Windows builds compile its sources from QW_TINYXML_DIR: the folder that
#   scripts/fetch_tinyxml.sh fills from Debian's source package (which carries the
#   fixes for CVE-2021-42260 and CVE-2023-34194), built without TIXML_USE_STL; on
#   Windows, point it at a copy of that folder.
# - Native builds on Linux link the system's libtinyxml (Debian: libtinyxml-dev).
set(QW_TINYXML_DIR "${CMAKE_SOURCE_DIR}/.deps/tinyxml" CACHE PATH "TinyXML 2.6.2 source folder")

if(WIN32 AND EXISTS "${QW_TINYXML_DIR}/tinyxml.cpp")
  add_library(qw_tinyxml STATIC
    ${QW_TINYXML_DIR}/tinystr.cpp
    ${QW_TINYXML_DIR}/tinyxml.cpp
    ${QW_TINYXML_DIR}/tinyxmlerror.cpp
    ${QW_TINYXML_DIR}/tinyxmlparser.cpp)
  target_include_directories(qw_tinyxml SYSTEM PUBLIC ${QW_TINYXML_DIR})
  # Without TIXML_USE_STL (see scripts/fetch_tinyxml.sh): the parser is the same,
  # only its string class differs, and iostreams stay out of the executable.
  if(NOT MSVC)
    target_compile_options(qw_tinyxml PRIVATE -w)
  endif()
elseif(NOT WIN32)
  find_path(QW_TINYXML_INCLUDE tinyxml.h REQUIRED)
  find_library(QW_TINYXML_LIBRARY tinyxml REQUIRED)
  add_library(qw_tinyxml INTERFACE)
  target_include_directories(qw_tinyxml SYSTEM INTERFACE ${QW_TINYXML_INCLUDE})
  target_link_libraries(qw_tinyxml INTERFACE ${QW_TINYXML_LIBRARY})
  target_compile_definitions(qw_tinyxml INTERFACE TIXML_USE_STL)
else()
  message(FATAL_ERROR "TinyXML sources not found: set QW_TINYXML_DIR (see README)")
endif()
