# Shared build rules of the project.

set(GB_WARNINGS -Wall -Wextra -Wshadow)
if(GLIMMERBOX_WERROR)
  list(APPEND GB_WARNINGS -Werror)
endif()

if(GLIMMERBOX_SANITIZE)
  set(GB_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${GB_SANITIZE_FLAGS})
  add_link_options(${GB_SANITIZE_FLAGS})
endif()

# Fuzz builds instrument every library for coverage and run them under the
# sanitizers, which stop at their first finding; the fuzz targets add
# libFuzzer's main when they link.
if(GLIMMERBOX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "GLIMMERBOX_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# gb_add_library(<name> [DEPENDS <targets...>] [PACKAGES <imported targets...>])
# Builds every .cpp of the calling folder into one static library.
function(gb_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;PACKAGES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${GB_WARNINGS})
  foreach(dependency ${ARG_DEPENDS})
    if(TARGET ${dependency})
      target_link_libraries(${name} PUBLIC ${dependency})
    endif()
  endforeach()
  target_link_libraries(${name} PUBLIC ${ARG_PACKAGES})
endfunction()

# gb_add_test_suite(<subsystem> <libraries...>)
# One GoogleTest executable from tests/<subsystem>/*.cpp; every test is its own CTest case.
function(gb_add_test_suite subsystem)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${subsystem}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target ${subsystem}_tests)
  add_executable(${target} ${sources})
  target_compile_options(${target} PRIVATE ${GB_WARNINGS})
  target_link_libraries(${target} PRIVATE gb_testsupport ${ARGN})
  add_dependencies(${target} gb_bundle)
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120 LABELS ${subsystem})
endfunction()
