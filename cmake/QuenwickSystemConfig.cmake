# Functions used both when configuring and when installing (from cmake_install.cmake,
# where CMAKE_INSTALL_PREFIX is the prefix chosen for this installation and DESTDIR
# may name a staging folder).

# Sets <out> to the system configuration folder for <prefix>: <sysconfdir> when it
# is absolute; /etc for the prefixes / and /usr; <prefix>/<sysconfdir> otherwise.
function(quenwick_sysconfdir out prefix sysconfdir)
  string(REGEX REPLACE "/+$" "" prefix "${prefix}")
  if(IS_ABSOLUTE "${sysconfdir}")
    set(dir "${sysconfdir}")
  elseif(prefix STREQUAL "" OR prefix STREQUAL "/usr")
    set(dir "/${sysconfdir}")
  else()
    set(dir "${prefix}/${sysconfdir}")
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# Installs the system configuration CONFIG as quenwick/quenwick.cfg in the system
# configuration folder, and in PROGRAM_DIR relative symbolic links to it and to the
# TABLES in DATADIR/quenwick/. A system configuration that is already there and
# differs from CONFIG was edited: it is kept.
function(quenwick_install_configuration_files)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "CONFIG;SYSCONFDIR;DATADIR;PROGRAM_DIR;SCRATCH"
                        "TABLES")
  string(REGEX REPLACE "/+$" "" prefix "${CMAKE_INSTALL_PREFIX}")
  quenwick_sysconfdir(etc "${prefix}" "${arg_SYSCONFDIR}")
  set(config "${etc}/quenwick/quenwick.cfg")
  foreach(dir DATADIR PROGRAM_DIR)
    if(IS_ABSOLUTE "${arg_${dir}}")
      set(${dir} "${arg_${dir}}")
    else()
      set(${dir} "${prefix}/${arg_${dir}}")
    endif()
  endforeach()

  set(installed "$ENV{DESTDIR}${config}")
  if(EXISTS "${installed}" AND NOT IS_DIRECTORY "${installed}")
    file(SHA256 "${installed}" old)
    file(SHA256 "${arg_CONFIG}" new)
    if(NOT old STREQUAL new)
      message(STATUS "Keeping (edited): ${installed}")
      set(keep TRUE)
    endif()
  endif()
  if(NOT keep)
    file(INSTALL DESTINATION "${etc}/quenwick" TYPE FILE RENAME quenwick.cfg
         FILES "${arg_CONFIG}")
  endif()

  # The links are made in a scratch folder and installed from there, so that
  # DESTDIR, the install manifest and the messages work as for any other file.
  file(REMOVE_RECURSE "${arg_SCRATCH}")
  file(MAKE_DIRECTORY "${arg_SCRATCH}")
  file(RELATIVE_PATH target "${PROGRAM_DIR}" "${config}")
  file(CREATE_LINK "${target}" "${arg_SCRATCH}/quenwick.cfg" SYMBOLIC)
  set(links "${arg_SCRATCH}/quenwick.cfg")
  foreach(table ${arg_TABLES})
    file(RELATIVE_PATH target "${PROGRAM_DIR}" "${DATADIR}/quenwick/${table}")
    file(CREATE_LINK "${target}" "${arg_SCRATCH}/${table}" SYMBOLIC)
    list(APPEND links "${arg_SCRATCH}/${table}")
  endforeach()
  file(INSTALL DESTINATION "${PROGRAM_DIR}" TYPE FILE FILES ${links})
  # file(INSTALL) lists what it installed here, for install_manifest.txt.
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
