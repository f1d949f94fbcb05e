# kalvor_library(<name> SOURCES <files...> DEPENDS <targets...>)
# A folder with no sources yet still gives a target that others may link.
function(kalvor_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE Qt6::Core ${ARG_DEPENDS})
  endif()
endfunction()

# kalvor_unit_test(<name> SOURCES <files...> DEPENDS <targets...> [WIDGETS])
# One executable per source folder; each test case is registered with CTest.
function(kalvor_unit_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} kalvor_test_support GTest::gtest GTest::gmock)
  if(ARG_WIDGETS)
    target_link_libraries(${name} PRIVATE kalvor_test_main_widgets)
  else()
    target_link_libraries(${name} PRIVATE kalvor_test_main)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KALVOR_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()
