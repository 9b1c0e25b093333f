# An install builds the project in a tree of its own inside the build directory, here
# called the native tree, and only hands its module over.
#
# Why: pip builds in a fresh, randomly named environment every time, and scikit-build-core
# clears its build tree's CMake cache and every object in it whenever that environment
# changes. A tree of our own survives, and reused it rebuilds only what changed. Its inputs
# must not move either: pybind11 comes from that throwaway environment, so its headers and
# CMake package are copied into the build directory, and only files whose bytes changed are
# rewritten, which keeps their timestamps and so the objects built against them.

set(kinetrope_native ${CMAKE_BINARY_DIR}/native)

# The tree is ours: one that another compiler made is started afresh, never reused. It is
# never handed a compiler, so the one this build asks for is the environment's.
include(${CMAKE_CURRENT_LIST_DIR}/compiler_of_tree.cmake)
if(EXISTS ${kinetrope_native}/CMakeCache.txt)
  load_cache(${kinetrope_native} READ_WITH_PREFIX native_ CMAKE_CXX_COMPILER)
  kinetrope_environment_compiler(asked)
  kinetrope_other_program("${asked}" "${native_CMAKE_CXX_COMPILER}" changed)
  if(changed)
    message(STATUS "The compiler changed: building ${kinetrope_native} afresh")
    file(REMOVE_RECURSE ${kinetrope_native})
  endif()
endif()

find_package(pybind11 ${KINETROPE_PYBIND11_VERSIONS} CONFIG REQUIRED)
get_filename_component(kinetrope_pybind11_root "${pybind11_DIR}/../../.." ABSOLUTE)
set(kinetrope_pybind11_copy ${CMAKE_BINARY_DIR}/pybind11)
file(GLOB_RECURSE kinetrope_pybind11_files RELATIVE ${kinetrope_pybind11_root}
  ${kinetrope_pybind11_root}/include/* ${kinetrope_pybind11_root}/share/cmake/*)
foreach(file IN LISTS kinetrope_pybind11_files)
  get_filename_component(dir ${kinetrope_pybind11_copy}/${file} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${kinetrope_pybind11_root}/${file} ${kinetrope_pybind11_copy}/${file}
       ONLY_IF_DIFFERENT)
endforeach()

set(kinetrope_native_args
  -G "${CMAKE_GENERATOR}"
  -DKINETROPE_NATIVE_TREE=ON
  -DKINETROPE_WERROR=${KINETROPE_WERROR}
  -DKINETROPE_SANITIZE=${KINETROPE_SANITIZE}
  -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
  -Dpybind11_DIR=${kinetrope_pybind11_copy}/share/cmake/pybind11
  -DPython_EXECUTABLE=${Python_EXECUTABLE}
  -DPython_ROOT_DIR=${Python_ROOT_DIR}
  -DPython_INCLUDE_DIR=${Python_INCLUDE_DIR}
  -DPython_FIND_REGISTRY=NEVER)
if(CMAKE_GENERATOR_PLATFORM)
  list(APPEND kinetrope_native_args -A "${CMAKE_GENERATOR_PLATFORM}")
endif()
if(CMAKE_GENERATOR_TOOLSET)
  list(APPEND kinetrope_native_args -T "${CMAKE_GENERATOR_TOOLSET}")
endif()
# Tools and targets that the wheel build chose; the tools may live in pip's throwaway
# environment, so they are handed over afresh each time.
foreach(var CMAKE_MAKE_PROGRAM CMAKE_TOOLCHAIN_FILE CMAKE_OSX_ARCHITECTURES
            CMAKE_OSX_DEPLOYMENT_TARGET CMAKE_OSX_SYSROOT)
  if(DEFINED ${var} AND NOT "${${var}}" STREQUAL "")
    list(APPEND kinetrope_native_args "-D${var}=${${var}}")
  endif()
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${kinetrope_native} ${kinetrope_native_args}
  RESULT_VARIABLE kinetrope_native_result)
if(NOT kinetrope_native_result EQUAL 0)
  message(FATAL_ERROR "Configuring the native tree ${kinetrope_native} failed")
endif()

add_custom_target(kinetrope_native ALL
  COMMAND ${CMAKE_COMMAND} --build ${kinetrope_native} --config ${CMAKE_BUILD_TYPE}
  USES_TERMINAL
  VERBATIM)
install(DIRECTORY ${kinetrope_native}/module/ DESTINATION . USE_SOURCE_PERMISSIONS)
