# libmad 0.15.1b, fetched from Debian's source packages at configure time (never
# committed), patched with our own fixes and built as a static library.
set(LIBMAD_DOWNLOAD_DIR "${CMAKE_BINARY_DIR}/deps/libmad" CACHE PATH "Where libmad's tarball is fetched to")
set(LIBMAD_PATCH_DIR "${PROJECT_SOURCE_DIR}/audio/libmad-patches")
set(_tarball "${LIBMAD_DOWNLOAD_DIR}/libmad_0.15.1b.orig.tar.gz")

execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-libmad.sh ${LIBMAD_DOWNLOAD_DIR}
  RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "Could not fetch libmad's sources (see above)")
endif()

# Unpack afresh whenever the tarball or our patch set changes.
file(GLOB _patches "${LIBMAD_PATCH_DIR}/*.patch")
list(SORT _patches)
set(_sig "")
foreach(f IN LISTS _tarball _patches)
  file(SHA256 ${f} _h)
  string(APPEND _sig "${f}:${_h}\n")
endforeach()
set(LIBMAD_SOURCE_DIR "${CMAKE_BINARY_DIR}/deps/libmad-src/libmad-0.15.1b")
set(_stamp "${CMAKE_BINARY_DIR}/deps/libmad-src.stamp")
set(_old "")
if(EXISTS ${_stamp})
  file(READ ${_stamp} _old)
endif()
if(NOT _old STREQUAL _sig OR NOT EXISTS ${LIBMAD_SOURCE_DIR}/decoder.c)
  file(REMOVE_RECURSE "${CMAKE_BINARY_DIR}/deps/libmad-src")
  file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/deps/libmad-src")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xzf ${_tarball}
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/deps/libmad-src" RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "Could not unpack ${_tarball}")
  endif()
  foreach(p IN LISTS _patches)
    execute_process(COMMAND patch -p1 --forward --batch -i ${p}
      WORKING_DIRECTORY ${LIBMAD_SOURCE_DIR} RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "libmad patch ${p} does not apply")
    endif()
  endforeach()
  # The shipped mad.h is configured for i386 assembly; we want portable 64-bit arithmetic.
  file(READ ${LIBMAD_SOURCE_DIR}/mad.h _madh)
  string(REPLACE "# define FPM_INTEL" "# define FPM_64BIT" _madh "${_madh}")
  string(REGEX REPLACE "# define SIZEOF_LONG [0-9]+" "# define SIZEOF_LONG 4" _madh "${_madh}")
  file(WRITE ${LIBMAD_SOURCE_DIR}/mad.h "${_madh}")
  file(WRITE ${_stamp} "${_sig}")
endif()

set(_cfg "${CMAKE_BINARY_DIR}/deps/libmad-config")
file(WRITE ${_cfg}/config.h.tmp
"#define FPM_64BIT 1
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define HAVE_ASSERT_H 1
#define HAVE_LIMITS_H 1
#define HAVE_ERRNO_H 1
#define HAVE_FCNTL_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_UNISTD_H 1
#define PACKAGE \"libmad\"
#define VERSION \"0.15.1b\"
")
configure_file(${_cfg}/config.h.tmp ${_cfg}/config.h COPYONLY)

add_library(mad STATIC
  ${LIBMAD_SOURCE_DIR}/version.c ${LIBMAD_SOURCE_DIR}/fixed.c ${LIBMAD_SOURCE_DIR}/bit.c
  ${LIBMAD_SOURCE_DIR}/timer.c ${LIBMAD_SOURCE_DIR}/stream.c ${LIBMAD_SOURCE_DIR}/frame.c
  ${LIBMAD_SOURCE_DIR}/synth.c ${LIBMAD_SOURCE_DIR}/decoder.c ${LIBMAD_SOURCE_DIR}/layer12.c
  ${LIBMAD_SOURCE_DIR}/layer3.c ${LIBMAD_SOURCE_DIR}/huffman.c)
target_include_directories(mad PUBLIC ${LIBMAD_SOURCE_DIR} PRIVATE ${_cfg})
target_compile_definitions(mad PRIVATE HAVE_CONFIG_H FPM_64BIT NDEBUG)
target_compile_options(mad PRIVATE -w)
set_target_properties(mad PROPERTIES POSITION_INDEPENDENT_CODE ON)
