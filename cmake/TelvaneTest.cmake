# telvane_test(NAME name SOURCES a.cpp ... [LIBS lib ...] [LABELS label ...])
# One GoogleTest executable; its tests are registered with CTest one by one.
find_package(GTest REQUIRED)
include(GoogleTest)

function(telvane_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
  # List-valued properties (several labels, several variables) do not survive the discovery's
  # property passing, so a script that CTest runs after loading the discovered tests sets them.
  set(labels unit ${T_LABELS})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
  file(WRITE ${script}
    "foreach(t IN LISTS ${T_NAME}_TESTS)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES\n"
    "    LABELS \"${labels}\"\n"
    "    ENVIRONMENT \"TELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};TELVANE_BINARY_DIR=${PROJECT_BINARY_DIR}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
