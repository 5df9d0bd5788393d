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
#   quenwick_install_system_configuration(<file> TABLES <name>...)
#       Installs <file> as the system configuration quenwick/quenwick.cfg in the
#       system configuration folder, and the links in lib/quenwick/ to it and to the
#       tables <name>... of share/quenwick/. Marks it as a conffile of the .deb.
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
  install(TARGETS ${launcher} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

function(quenwick_install_system_configuration file)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "TABLES")
  get_filename_component(file "${file}" ABSOLUTE)
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
      TABLES ${arg_TABLES})")

  # The .deb keeps an edited system configuration on upgrade and on removal.
  if(NOT DEFINED CPACK_PACKAGING_INSTALL_PREFIX)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  endif()
  quenwick_sysconfdir(etc "${CPACK_PACKAGING_INSTALL_PREFIX}" "${CMAKE_INSTALL_SYSCONFDIR}")
  file(WRITE ${PROJECT_BINARY_DIR}/deb/conffiles "${etc}/quenwick/quenwick.cfg\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/deb/conffiles PARENT_SCOPE)
endfunction()
