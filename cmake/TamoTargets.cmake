# SPDX-License-Identifier: GPL-3.0-or-later
# Shared compile settings and helpers for every TAMO target.

function(tamo_set_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         -Wno-sign-conversion)
  if(TAMO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
                             QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
  if(TAMO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TAMO_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# tamo_library(name SOURCES ... LIBS ...): a static library of one source folder.
function(tamo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  tamo_set_options(${name})
endfunction()

# Fails the configure step when a format library reaches Qt Gui or Widgets.
function(_tamo_collect_links target out)
  set(seen ${${out}})
  get_target_property(libs ${target} LINK_LIBRARIES)
  get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
  foreach(lib IN LISTS libs ilibs)
    if(lib AND NOT lib IN_LIST seen AND NOT lib MATCHES "NOTFOUND")
      list(APPEND seen ${lib})
      if(TARGET ${lib} AND ${lib} MATCHES "^tamo_")
        _tamo_collect_links(${lib} seen)
      endif()
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(tamo_check_core_only)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      continue()
    endif()
    set(links "")
    _tamo_collect_links(${target} links)
    foreach(lib IN LISTS links)
      if(lib MATCHES "Qt6::(Gui|Widgets|Multimedia)")
        message(FATAL_ERROR "${target} must link Qt6::Core only, but reaches ${lib}")
      endif()
    endforeach()
  endforeach()
endfunction()

# tamo_tests(LIBS ...): one test executable per test_*.cpp in the calling folder.
function(tamo_tests)
  cmake_parse_arguments(ARG "" "" "LIBS;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/helper_*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${helpers})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tamo_testsupport Qt6::Test)
    tamo_set_options(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAMO_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR};${ARG_ENVIRONMENT}"
      TIMEOUT 300)
  endforeach()
endfunction()
