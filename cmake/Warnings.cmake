# Strict warnings for the project's own targets only; third-party headers come in as system headers.
function(vantor_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations)
  if(VANTOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One library target per layer; every layer states what it links.
function(vantor_library target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LINKS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  if(NOT ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LINKS})
  vantor_warnings(${target})
endfunction()

# A GoogleTest executable registered with CTest, each of its tests a CTest test of its own.
# ONE_TEST registers the whole binary as one CTest test instead, for suites that share a server
# too slow to start for every test; RESOURCE_LOCK names what such binaries must not share.
function(vantor_test target)
  cmake_parse_arguments(ARG "QT;ONE_TEST" "RESOURCE_LOCK" "SOURCES;LINKS;ENVIRONMENT;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  if(NOT ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LINKS} vantor_test_files GTest::gtest GTest::gmock
    GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  vantor_warnings(${target})
  if(ARG_ONE_TEST)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "${ARG_ENVIRONMENT}" LABELS "${ARG_LABELS}" RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
    return()
  endif()
  include(GoogleTest)
  # Only one ENVIRONMENT entry survives test discovery; pass paths as compile definitions.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}" LABELS "${ARG_LABELS}")
endfunction()

# Sets VANTOR_<name>_PATH to the path of a program that tests start, "" when it is not installed
# (those tests then skip). Further arguments go to find_program (e.g. PATHS).
function(vantor_test_program name program)
  find_program(VANTOR_${name} ${program} ${ARGN})
  if(VANTOR_${name})
    set(VANTOR_${name}_PATH ${VANTOR_${name}} PARENT_SCOPE)
  else()
    set(VANTOR_${name}_PATH "" PARENT_SCOPE)
  endif()
endfunction()

# Turns off one warning for the given source files (of targets in the calling directory) where
# GCC 12 is known to be wrong at -O2 and above; later compilers keep checking them. Known ones:
# - restrict: "text" + std::string&& inlines libstdc++'s in-place prepend, which GCC 12 takes
#   for a huge overlapping memcpy.
# - maybe-uninitialized: aggregates holding a std::string, copied inside GoogleTest's
#   parameter generators, are taken for uninitialized.
function(vantor_gcc12_false_positive warning)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS -Wno-${warning})
  endif()
endfunction()
