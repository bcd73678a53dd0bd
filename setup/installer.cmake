# The installer that lays out a system root and writes the installation settings.
set(INSTALLER_DIR ${CMAKE_CURRENT_SOURCE_DIR}/installer)
# The family's file names come from the store's one naming function (compiled in, not exported).
add_library(installer_steps STATIC ${INSTALLER_DIR}/install_steps.cpp ${INSTALLER_DIR}/sample_calibration.cpp
            ${INSTALLER_DIR}/logon_entry.cpp ${PROJECT_SOURCE_DIR}/store/family_names.cpp)
target_include_directories(installer_steps PUBLIC ${INSTALLER_DIR})
target_link_libraries(installer_steps PUBLIC vltutil winplat monorder profforge)

add_executable(spectrine-install ${INSTALLER_DIR}/installer_main.cpp)
target_link_libraries(spectrine-install PRIVATE installer_steps)
install(TARGETS spectrine-install RUNTIME DESTINATION ${SPECTRINE_SUITE_DIR})
# The monitor INF sources the installer sorts into the suite's INF chain.
file(GLOB SUITE_INF_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/inf/*.inf)
install(FILES ${SUITE_INF_SOURCES} DESTINATION ${SPECTRINE_SUITE_DIR}/inf)
# The white point reference file beside the wizard ("AppFile" with ".ini" for its extension),
# and the standard presets beside the monitor INF chain ("InfFile").
install(FILES ${PROJECT_SOURCE_DIR}/data/huevista.ini ${PROJECT_SOURCE_DIR}/data/Preset.inf
        DESTINATION ${SPECTRINE_SUITE_DIR})

if(SPECTRINE_TESTS)
  file(GLOB INSTALLER_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/installer_*_test.cpp)
  spectrine_add_test(installer_tests ${INSTALLER_TESTS})
  if(TARGET installer_tests)
    target_link_libraries(installer_tests PRIVATE installer_steps spx_icc_testkit)
    add_dependencies(installer_tests spectrine-install)
    target_compile_definitions(installer_tests PRIVATE SUITE_INF_SOURCES="${PROJECT_SOURCE_DIR}/data/inf"
                               SUITE_WHITEPOINT_INI="${PROJECT_SOURCE_DIR}/data/huevista.ini"
                               SUITE_PRESET_INF="${PROJECT_SOURCE_DIR}/data/Preset.inf"
                               INSTALLER_PATH="$<TARGET_FILE:spectrine-install>")
  endif()
endif()
