# GoogleTest built from its sources, for targets that have no packaged build of it
# (the MinGW-w64 cross build). Gives the same target names as find_package(GTest).
set(VANTREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build the tests with")

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VANTREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Its own warnings are not ours to fix.
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -Wno-error)
  if(NOT TARGET GTest::${target})
    add_library(GTest::${target} ALIAS ${target})
  endif()
endforeach()
