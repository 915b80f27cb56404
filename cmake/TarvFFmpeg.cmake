# The FFmpeg libraries the tools link, as two targets: Tarv::LibavCore (reading, writing,
# decoding) and Tarv::LibavFilter (filters, scaling, resampling).
#
# By default they are our own static build (scripts/build-ffmpeg.sh, made once per machine into
# a cache folder): a tool on Debian's shared libav* loads 134 to 166 libraries before it does
# anything, which costs more than the whole work of a short step. TARV_SYSTEM_FFMPEG=ON links
# the system's shared libraries instead, as a distribution's own package would.
option(TARV_SYSTEM_FFMPEG "Link the tools against the system's shared FFmpeg libraries" OFF)

find_package(PkgConfig REQUIRED)

if(TARV_SYSTEM_FFMPEG)
  pkg_check_modules(LIBAV_CORE REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil)
  pkg_check_modules(LIBAV_FILTER REQUIRED IMPORTED_TARGET libavfilter libswscale libswresample)
  add_library(Tarv::LibavCore INTERFACE IMPORTED)
  target_link_libraries(Tarv::LibavCore INTERFACE PkgConfig::LIBAV_CORE)
  add_library(Tarv::LibavFilter INTERFACE IMPORTED)
  target_link_libraries(Tarv::LibavFilter INTERFACE PkgConfig::LIBAV_FILTER)
  return()
endif()

set(_tarv_ffmpeg_script ${CMAKE_SOURCE_DIR}/scripts/build-ffmpeg.sh)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_tarv_ffmpeg_script})
cmake_host_system_information(RESULT _tarv_cores QUERY NUMBER_OF_LOGICAL_CORES)
# Only the folder comes back on standard output; the build's progress passes through.
execute_process(
  COMMAND bash ${_tarv_ffmpeg_script} --jobs ${_tarv_cores}
  OUTPUT_VARIABLE TARV_FFMPEG_PREFIX
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE _tarv_ffmpeg_result)
if(NOT _tarv_ffmpeg_result EQUAL 0)
  message(FATAL_ERROR "Building the static FFmpeg libraries failed (see above); "
                      "-DTARV_SYSTEM_FFMPEG=ON links the system's instead.")
endif()
message(STATUS "Static FFmpeg libraries: ${TARV_FFMPEG_PREFIX}")

# One imported target per library, its dependencies read from its own pkg-config file, so
# the linker sees every static library after the ones that need it, and then the system
# libraries they use (Debian's x264, Xvid, dav1d and zlib among them).
foreach(lib avutil swresample swscale avcodec avformat avfilter)
  set(pc ${TARV_FFMPEG_PREFIX}/lib/pkgconfig/lib${lib}.pc)
  file(STRINGS ${pc} requires REGEX "^Requires(\\.private)?:")
  file(STRINGS ${pc} flags REGEX "^Libs(\\.private)?:")
  string(REGEX REPLACE "(^|;)Requires(\\.private)?:" " " requires "${requires}")
  string(REGEX REPLACE "(^|;)Libs(\\.private)?:" " " flags "${flags}")
  string(REGEX MATCHALL "lib[a-z]+" requires "${requires}")
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(deps)
  foreach(dep IN LISTS requires)
    string(REGEX REPLACE "^lib" "Tarv::" dep ${dep})
    list(APPEND deps ${dep})
  endforeach()
  foreach(flag IN LISTS flags)
    if(NOT flag MATCHES "^-L" AND NOT flag STREQUAL "-l${lib}")
      list(APPEND deps ${flag})
    endif()
  endforeach()
  add_library(Tarv::${lib} STATIC IMPORTED)
  set_target_properties(Tarv::${lib} PROPERTIES
    IMPORTED_LOCATION ${TARV_FFMPEG_PREFIX}/lib/lib${lib}.a
    INTERFACE_INCLUDE_DIRECTORIES ${TARV_FFMPEG_PREFIX}/include
    INTERFACE_LINK_LIBRARIES "${deps}")
endforeach()
add_library(Tarv::LibavCore INTERFACE IMPORTED)
target_link_libraries(Tarv::LibavCore INTERFACE Tarv::avformat Tarv::avcodec Tarv::avutil)
add_library(Tarv::LibavFilter INTERFACE IMPORTED)
target_link_libraries(Tarv::LibavFilter INTERFACE Tarv::avfilter Tarv::swscale Tarv::swresample)
