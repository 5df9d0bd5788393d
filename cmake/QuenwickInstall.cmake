# Installing programs behind a launcher, beside the configuration they read.
#
# A program of this project reads quenwick.cfg and its tables from the directory of
# the path it was started by. Installed, each program goes to lib/quenwick/, where
# quenwick.cfg links to the system configuration and the tables link to
# share/quenwick/; bin/ gets a launcher of the same name (src/launcher/launcher.cpp)
# that starts it from there, or as a plain name when the current directory holds a
# quenwick.cfg of its own.
#
#   quenwick_install_behind_launcher(<target>)
#       Installs the program <target> to lib/quenwick/ and its launcher to bin/.
#       In the build tree the program stays where it is; the launcher is built as
#       launcher/<name>.
#   quenwick_install_system_configuration(<file> TABLES <table>...)
#       Installs <file> as the system configuration quenwick/quenwick.cfg in the
#       system configuration folder, and the links in lib/quenwick/ to it and to the
#       tables of share/quenwick/ named like the files <table>... Marks it as a
#       conffile of the .deb. The build copies <file> as quenwick.cfg and the
#       tables beside the built programs, so that these run as the installed
#       commands do outside a project; call it after the programs' calls of
#       quenwick_install_behind_launcher, which then depend on the copies.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/QuenwickSystemConfig.cmake)

# A literal folder, not CMAKE_INSTALL_LIBDIR (lib/x86_64-linux-gnu on Debian), so
# that it is the same under every prefix.
set(QUENWICK_PROGRAM_DIR lib/quenwick)

# The programs' folder as seen from the launcher's folder, e.g. "../lib/quenwick".
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  file(RELATIVE_PATH QUENWICK_PROGRAM_DIR_FROM_BIN "${CMAKE_INSTALL_BINDIR}"
       "${CMAKE_INSTALL_PREFIX}/${QUENWICK_PROGRAM_DIR}")
else()
  file(RELATIVE_PATH QUENWICK_PROGRAM_DIR_FROM_BIN "/${CMAKE_INSTALL_BINDIR}"
       "/${QUENWICK_PROGRAM_DIR}")
endif()

function(quenwick_install_behind_launcher program)
  get_target_property(name ${program} OUTPUT_NAME)
  if(NOT name)
    set(name ${program})
  endif()
  set(launcher ${program}_launcher)
  add_executable(${launcher} ${PROJECT_SOURCE_DIR}/src/launcher/launcher.cpp)
  target_link_libraries(${launcher} PRIVATE quenwick_core)
  target_compile_definitions(${launcher} PRIVATE
    QUENWICK_LAUNCHER_PROGRAM="${name}"
    QUENWICK_LAUNCHER_PROGRAM_DIR="${QUENWICK_PROGRAM_DIR_FROM_BIN}")
  set_target_properties(${launcher} PROPERTIES
    OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/launcher)
  install(TARGETS ${program} RUNTIME DESTINATION ${QUENWICK_PROGRAM_DIR})
  set_property(GLOBAL APPEND PROPERTY QUENWICK_PROGRAMS_BEHIND_LAUNCHER ${program})
  install(TARGETS ${launcher} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

function(quenwick_install_system_configuration file)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "TABLES")
  get_filename_component(file "${file}" ABSOLUTE)
  set(tables)
  foreach(table ${arg_TABLES})
    get_filename_component(name "${table}" NAME)
    list(APPEND tables ${name})
  endforeach()
  quenwick_copy_configuration_to_build("${file}" ${arg_TABLES})
  # Everything that depends on the prefix is decided when installing, since
  # `cmake --install --prefix` and cpack choose it then.
  install(CODE "
    include([==[${CMAKE_CURRENT_FUNCTION_LIST_DIR}/QuenwickSystemConfig.cmake]==])
    quenwick_install_configuration_files(
      CONFIG [==[${file}]==]
      SYSCONFDIR [==[${CMAKE_INSTALL_SYSCONFDIR}]==]
      DATADIR [==[${CMAKE_INSTALL_DATADIR}]==]
      PROGRAM_DIR [==[${QUENWICK_PROGRAM_DIR}]==]
      SCRATCH [==[${PROJECT_BINARY_DIR}/install-links]==]
      TABLES ${tables})")

  # The .deb keeps an edited system configuration on upgrade and on removal.
  if(NOT DEFINED CPACK_PACKAGING_INSTALL_PREFIX)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  endif()
  quenwick_sysconfdir(etc "${CPACK_PACKAGING_INSTALL_PREFIX}" "${CMAKE_INSTALL_SYSCONFDIR}")
  file(WRITE ${PROJECT_BINARY_DIR}/deb/conffiles "${etc}/quenwick/quenwick.cfg\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb/conffiles PARENT_SCOPE)
endfunction()

# The build tree's counterpart of lib/quenwick/: copies of the system configuration
# (as quenwick.cfg) and of the tables in the folder of the built programs, made by
# the build and renewed when a source changes. Every program built behind a
# launcher depends on them, so building one target alone brings them too. Copies,
# not links, so that editing build/quenwick.cfg leaves share/ alone.
function(quenwick_copy_configuration_to_build config)
  if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(dir "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  else()
    set(dir "${PROJECT_BINARY_DIR}")
  endif()
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    string(APPEND dir "/$<CONFIG>")
  endif()
  set(outputs)
  foreach(source IN ITEMS "${config}" ${ARGN})
    get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
    get_filename_component(name "${source}" NAME)
    if(source STREQUAL config)
      set(name quenwick.cfg)
    endif()
    add_custom_command(OUTPUT "${dir}/${name}"
      COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${dir}/${name}"
      DEPENDS "${source}" VERBATIM)
    list(APPEND outputs "${dir}/${name}")
  endforeach()
  add_custom_target(quenwick_build_configuration ALL DEPENDS ${outputs})
  get_property(programs GLOBAL PROPERTY QUENWICK_PROGRAMS_BEHIND_LAUNCHER)
  foreach(program ${programs})
    add_dependencies(${program} quenwick_build_configuration)
  endforeach()
endfunction()
