# regkit (the installer's library) and regcmd (the console program): one command language.
set(REGKIT_DIR ${CMAKE_CURRENT_SOURCE_DIR}/regkit)
add_library(regkit_objects OBJECT ${REGKIT_DIR}/command_parser.cpp ${REGKIT_DIR}/command_runner.cpp
                                  ${REGKIT_DIR}/regkit.cpp)
target_include_directories(regkit_objects PUBLIC ${REGKIT_DIR})
target_link_libraries(regkit_objects PUBLIC winplat)

add_library(regkit SHARED $<TARGET_OBJECTS:regkit_objects>)
target_include_directories(regkit PUBLIC ${REGKIT_DIR})
target_link_libraries(regkit PUBLIC winplat)

add_executable(regcmd ${REGKIT_DIR}/regcmd_main.cpp)
target_link_libraries(regcmd PRIVATE regkit)
install(TARGETS regkit LIBRARY DESTINATION ${SPECTRINE_SUITE_DIR})
install(TARGETS regcmd RUNTIME DESTINATION ${SPECTRINE_SUITE_DIR})
install(CODE "file(MAKE_DIRECTORY \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR})
  file(CREATE_LINK ../${SPECTRINE_SUITE_DIR}/regcmd
       \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/regcmd SYMBOLIC)")

if(SPECTRINE_TESTS)
  file(GLOB REGKIT_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/regcmd_*_test.cpp)
  spectrine_add_test(regkit_tests ${REGKIT_TESTS})
  if(TARGET regkit_tests)
    target_link_libraries(regkit_tests PRIVATE regkit_objects)
    add_dependencies(regkit_tests regcmd)
    target_compile_definitions(regkit_tests PRIVATE REGCMD_PATH="$<TARGET_FILE:regcmd>")
  endif()
endif()
