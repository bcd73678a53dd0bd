# Win32 resources for libraries and programs: winplat_add_resources(<target> <script.rc>
# [DEPENDS <file>...]) compiles the script with windres into the Win32 .res layout and embeds
# those bytes read-only in the target as WinplatResources, with their size (a 64-bit count) as
# WinplatResourcesSize; the platform's resource calls look them up there. Scripts include
# <winres.h> for the constants they need. DEPENDS names the files the script takes in
# (pictures, cursors, ...), so that changing one rebuilds the resources; headers it includes
# are tracked on their own. Files are looked for beside the script, then in the calling
# folder's build folder (for pictures made at build time).
enable_language(ASM)
find_program(WINPLAT_WINDRES x86_64-w64-mingw32-windres)
set(WINPLAT_RC_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../platform/include)
set(WINPLAT_RESOURCES_ASM_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/winplat_resources.S.in)

function(winplat_add_resources target script)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS")
  if(NOT WINPLAT_WINDRES)
    message(FATAL_ERROR "winplat_add_resources(${target}): x86_64-w64-mingw32-windres not found; "
                        "install binutils-mingw-w64-x86-64 (scripts/deps.sh)")
  endif()
  get_target_property(type ${target} TYPE)
  if(NOT type MATCHES "^(SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$")
    message(FATAL_ERROR "winplat_add_resources(${target}): only libraries loaded at run time "
                        "and programs carry resources (${target} is ${type})")
  endif()
  get_filename_component(script ${script} ABSOLUTE)
  get_filename_component(script_dir ${script} DIRECTORY)
  get_filename_component(stem ${script} NAME_WE)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(res ${out_dir}/${stem}.res)
  # The preprocessor writes the headers the script includes into a dependency file.
  add_custom_command(
    OUTPUT ${res}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${WINPLAT_WINDRES} --preprocessor=cpp -DRC_INVOKED
            "--preprocessor-arg=-MD" "--preprocessor-arg=-MF${res}.d" "--preprocessor-arg=-MT${res}"
            -I${WINPLAT_RC_INCLUDE_DIR} -I${script_dir} -I${CMAKE_CURRENT_BINARY_DIR}
            -O res -i ${script} -o ${res}
    MAIN_DEPENDENCY ${script}
    DEPENDS ${arg_DEPENDS}
    DEPFILE ${res}.d
    WORKING_DIRECTORY ${script_dir}
    COMMENT "Compiling resources ${stem}.rc for ${target}"
    VERBATIM)
  set(WINPLAT_RES_FILE ${res})
  set(asm ${out_dir}/resources.S)
  configure_file(${WINPLAT_RESOURCES_ASM_TEMPLATE} ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${res})
  target_sources(${target} PRIVATE ${asm})
  if(type STREQUAL "EXECUTABLE")
    # A program's symbols are not dynamic unless asked for; the loader finds these two by name.
    target_link_options(${target} PRIVATE
      "LINKER:--export-dynamic-symbol=WinplatResources"
      "LINKER:--export-dynamic-symbol=WinplatResourcesSize")
  endif()
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.(c|cc|cpp|cxx)$")
  if(NOT sources)
    # A library of resources alone has no C or C++ source to choose its linker by.
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
  endif()
endfunction()
