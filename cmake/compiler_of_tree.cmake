# A build tree keeps the compiler its build was made with: CMake itself goes on with that
# compiler whatever CXX says later. Rather than reuse such a tree for another compiler without
# a word, a configuration that asks for another one is refused (or, for the native tree of a
# wheel build, the tree is started afresh). A fresh tree takes whichever compiler it is given.

# <out> is TRUE when a and b name two different programs; FALSE when they name one program,
# or when either cannot be found.
function(kinetrope_other_program a b out)
  set(${out} FALSE PARENT_SCOPE)
  find_program(a_path NAMES "${a}" NO_CACHE)
  find_program(b_path NAMES "${b}" NO_CACHE)
  if(a_path AND b_path)
    file(REAL_PATH "${a_path}" a_path)
    file(REAL_PATH "${b_path}" b_path)
    if(NOT a_path STREQUAL b_path)
      set(${out} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

# The compiler a fresh tree would take from the environment: CXX, else c++.
function(kinetrope_environment_compiler out)
  if(DEFINED ENV{CXX} AND NOT "$ENV{CXX}" STREQUAL "")
    set(${out} "$ENV{CXX}" PARENT_SCOPE)
  else()
    set(${out} c++ PARENT_SCOPE)
  endif()
endfunction()

# Before project(): stops when this tree holds a build made with one compiler and this
# configuration asks for another, by CMAKE_CXX_COMPILER on its command line or by a CXX other
# than the one the tree was configured under. Asking for nothing keeps the tree's compiler.
function(kinetrope_check_tree_compiler)
  if(NOT DEFINED CACHE{KINETROPE_TREE_COMPILER})
    return()
  endif()
  set(built "$CACHE{KINETROPE_TREE_COMPILER}")
  if(NOT "$CACHE{CMAKE_CXX_COMPILER}" STREQUAL built)
    set(asked "$CACHE{CMAKE_CXX_COMPILER}")
  elseif(NOT "$ENV{CXX}" STREQUAL "" AND NOT "$ENV{CXX}" STREQUAL "$CACHE{KINETROPE_TREE_CXX}")
    set(asked "$ENV{CXX}")
  else()
    return()
  endif()
  kinetrope_other_program("${asked}" "${built}" other)
  if(other)
    # The cache is written even so: it keeps the tree's compiler, so that the next
    # configuration that asks for nothing goes on as before.
    set(CMAKE_CXX_COMPILER "${built}" CACHE STRING "CXX compiler" FORCE)
    message(FATAL_ERROR "${CMAKE_BINARY_DIR} holds a build made with ${built}, but this "
                        "configuration asks for ${asked}: remove that directory, or build "
                        "somewhere else")
  endif()
endfunction()

# After project(): notes the compiler this tree's build is made with, and the CXX it was
# configured under.
function(kinetrope_record_tree_compiler)
  set(KINETROPE_TREE_COMPILER "${CMAKE_CXX_COMPILER}" CACHE INTERNAL
      "The compiler this tree's build is made with")
  set(KINETROPE_TREE_CXX "$ENV{CXX}" CACHE INTERNAL "CXX when this tree was configured")
endfunction()
