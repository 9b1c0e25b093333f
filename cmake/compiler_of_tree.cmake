# A build tree keeps the compiler it was first configured with, whatever CXX says later.
# kinetrope_compiler_changed(<cached compiler> <out>) sets <out> to TRUE when the compiler
# this configuration asks for (CXX, else c++) is another program than the cached one.
function(kinetrope_compiler_changed cached out)
  set(${out} FALSE PARENT_SCOPE)
  if(DEFINED ENV{CXX} AND NOT "$ENV{CXX}" STREQUAL "")
    set(requested "$ENV{CXX}")
  else()
    set(requested c++)
  endif()
  find_program(requested_path NAMES ${requested} NO_CACHE)
  if(requested_path AND cached)
    file(REAL_PATH "${requested_path}" requested_path)
    file(REAL_PATH "${cached}" cached_path)
    if(NOT requested_path STREQUAL cached_path)
      set(${out} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()
