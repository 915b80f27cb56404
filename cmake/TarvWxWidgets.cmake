# wxWidgets for the window parts, found in this one place. CMake's FindwxWidgets hands out
# variables rather than targets, so each set of wxWidgets libraries the project uses becomes an
# imported target here, carrying its headers, definitions, flags and libraries:
#   TarvWx::core   windows, drawing and images (with the base library under them)
#   TarvWx::net    local sockets
#   TarvWx::media  the media player control
include_guard(GLOBAL)

function(tarv_wx_target name)
  find_package(wxWidgets 3.2 REQUIRED COMPONENTS ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(${name} INTERFACE ${wxWidgets_DEFINITIONS})
  # Compiler options only: a Windows build's resource compiler takes the headers and
  # definitions but knows none of them.
  target_compile_options(${name} INTERFACE "$<$<COMPILE_LANGUAGE:CXX>:${wxWidgets_CXX_FLAGS}>")
  target_link_libraries(${name} INTERFACE ${wxWidgets_LIBRARIES})
endfunction()

tarv_wx_target(TarvWx::core core base)
tarv_wx_target(TarvWx::net net base)
tarv_wx_target(TarvWx::media media core base)
