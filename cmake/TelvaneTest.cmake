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
    TEST_LIST ${T_NAME}_TESTS
    PROPERTIES TIMEOUT 120)
  # List-valued properties (several labels, several variables) do not survive the discovery
  # step's PROPERTIES, so they are set on the discovered tests by a file CTest reads after it.
  set(labels unit ${T_LABELS})
  set(environment "TELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};TELVANE_BINARY_DIR=${PROJECT_BINARY_DIR}")
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
  file(WRITE ${properties_file}
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES\n"
    "    LABELS [==[${labels}]==]\n"
    "    ENVIRONMENT [==[${environment}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()
