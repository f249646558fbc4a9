# telvane_test(NAME name SOURCES a.cpp ... [LIBS lib ...] [LABELS label ...]
#              [ENVIRONMENT VAR=value ...])
# One GoogleTest executable; its tests are registered with CTest one by one. Executables with the
# label "threads" also belong to the target `threads_tests`, those with "gui" to `gui_tests`
# (see telvane_label_test_targets).
find_package(GTest REQUIRED)
include(GoogleTest)

function(telvane_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  set(labels unit ${T_LABELS})
  if("threads" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY TELVANE_THREADS_TESTS ${T_NAME})
  endif()
  if("gui" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY TELVANE_GUI_TESTS ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${T_NAME}_TESTS)
  # List-valued properties are set once the tests are known: passed through PROPERTIES above,
  # their lists would be split into separate arguments and the properties lost.
  set(environment TELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR} TELVANE_BINARY_DIR=${PROJECT_BINARY_DIR}
    ${T_ENVIRONMENT})
  set(properties ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
  file(WRITE ${properties}
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS [==[${labels}]==] TIMEOUT 120\n"
    "    ENVIRONMENT [==[${environment}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()

# Script tests (pytest, the examples) run by Debian's python3, which has pytest
# (scripts/deps/python.txt). Scripts that load libtelvane.so into Python get the sanitizer
# runtime preloaded in sanitized builds (it must come first in the process); Python's own
# allocations are not ours to leak-check.
find_program(TELVANE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(TELVANE_PYTHON_HOST_ENV "")
if(TELVANE_SANITIZE STREQUAL "address")
  set(runtimes libasan.so libubsan.so)
  list(APPEND TELVANE_PYTHON_HOST_ENV ASAN_OPTIONS=detect_leaks=0)
elseif(TELVANE_SANITIZE STREQUAL "thread")
  set(runtimes libtsan.so)
else()
  set(runtimes "")
endif()
set(preload "")
foreach(runtime IN LISTS runtimes)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(APPEND preload " ${path}")
endforeach()
string(STRIP "${preload}" TELVANE_PYTHON_PRELOAD)
if(TELVANE_PYTHON_PRELOAD)
  list(APPEND TELVANE_PYTHON_HOST_ENV "LD_PRELOAD=${TELVANE_PYTHON_PRELOAD}")
endif()

# telvane_script_test(NAME name COMMAND arg ... [PYTHON_HOST] [ENVIRONMENT VAR=value ...]
#                     [LABELS label ...])
# PYTHON_HOST: the command loads libtelvane.so into Python. Runs in the source folder.
function(telvane_script_test)
  cmake_parse_arguments(T "PYTHON_HOST" "NAME" "COMMAND;ENVIRONMENT;LABELS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set(env TELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR} TELVANE_BINARY_DIR=${PROJECT_BINARY_DIR}
    PYTHONDONTWRITEBYTECODE=1 ${T_ENVIRONMENT})
  if(T_PYTHON_HOST)
    list(APPEND env ${TELVANE_PYTHON_HOST_ENV})
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "script;${T_LABELS}" TIMEOUT 300
    ENVIRONMENT "${env}")
endfunction()

# `threads_tests` builds just what `ctest -L threads` runs, so the ThreadSanitizer build skips the
# rest of the tree; `gui_tests` likewise for `ctest -L gui` in the Release build. Called once
# every test is declared; what a test loads at run time is reached through the add_dependencies
# of its own folder.
function(telvane_label_test_targets)
  foreach(label IN ITEMS threads gui)
    string(TOUPPER ${label} property)
    get_property(tests GLOBAL PROPERTY TELVANE_${property}_TESTS)
    add_custom_target(${label}_tests)
    if(tests)
      add_dependencies(${label}_tests ${tests})
    endif()
  endforeach()
endfunction()
