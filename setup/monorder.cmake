# monorder: the monitor INF sorter (shared library) and its command-line front end.
set(MONORDER_DIR ${CMAKE_CURRENT_LIST_DIR}/monorder)

add_library(monorder SHARED
  ${MONORDER_DIR}/avl_tree.cpp
  ${MONORDER_DIR}/inf_merge.cpp
  ${MONORDER_DIR}/chain_writer.cpp
  ${MONORDER_DIR}/entry.cpp)
target_include_directories(monorder PUBLIC ${MONORDER_DIR})
target_link_libraries(monorder PRIVATE winplat)
install(TARGETS monorder LIBRARY DESTINATION ${SPECTRINE_SUITE_DIR})

add_executable(monorder-cli ${MONORDER_DIR}/cli/monorder_main.cpp)
set_target_properties(monorder-cli PROPERTIES OUTPUT_NAME monorder)
target_link_libraries(monorder-cli PRIVATE monorder)
install(TARGETS monorder-cli RUNTIME DESTINATION ${SPECTRINE_SUITE_DIR})

if(SPECTRINE_TESTS)
  set(MONORDER_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/tests)
  foreach(topic tree order merge chain entry data out_of_space)
    if(NOT EXISTS ${MONORDER_TEST_DIR}/monorder_${topic}_test.cpp)
      continue()
    endif()
    spectrine_add_test(monorder_${topic}_test ${MONORDER_TEST_DIR}/monorder_${topic}_test.cpp)
    target_link_libraries(monorder_${topic}_test PRIVATE monorder)
    target_include_directories(monorder_${topic}_test PRIVATE ${MONORDER_DIR}/testing)
  endforeach()
  if(TARGET monorder_data_test)
    target_compile_definitions(monorder_data_test PRIVATE
      MONORDER_DATA_DIR="${PROJECT_SOURCE_DIR}/data/inf")
  endif()
  if(TARGET monorder_entry_test)
    target_compile_definitions(monorder_entry_test PRIVATE
      MONORDER_CLI="$<TARGET_FILE:monorder-cli>")
  endif()
endif()
