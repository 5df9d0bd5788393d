# Installing programs behind a launcher.
#
# A program of this project reads quenwick.cfg and its tables from the directory of
# the path it was started by. Installed, each program goes to lib/quenwick/; bin/
# gets a launcher of the same name (src/launcher/launcher.cpp) that starts it from
# there, or as a plain name when the current directory holds a quenwick.cfg of its
# own.
#
#   quenwick_install_behind_launcher(<target>)
#       Installs the program <target> to lib/quenwick/ and its launcher to bin/.
#       In the build tree the program stays where it is; the launcher is built as
#       launcher/<name>.
include(GNUInstallDirs)

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
  target_compile_definitions(${launcher} PRIVATE
    QUENWICK_LAUNCHER_PROGRAM="${name}"
    QUENWICK_LAUNCHER_PROGRAM_DIR="${QUENWICK_PROGRAM_DIR_FROM_BIN}")
  set_target_properties(${launcher} PROPERTIES
    OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/launcher)
  install(TARGETS ${program} RUNTIME DESTINATION ${QUENWICK_PROGRAM_DIR})
  install(TARGETS ${launcher} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
