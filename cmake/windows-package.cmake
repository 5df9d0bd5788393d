# The Windows zip: quenwick.exe, quenwick-graph.exe, quenwick-lsp.exe, the tables, the sample configuration and
# README-windows.txt (with CR LF line ends) in one folder,
# quenwick-VERSION-win64.zip. Packed by `cpack -G ZIP` in the windows build.
install(TARGETS quenwick RUNTIME DESTINATION .)
if(TARGET quenwick-graph)
  install(TARGETS quenwick-graph RUNTIME DESTINATION .)
endif()
if(TARGET quenwick-lsp)
  install(TARGETS quenwick-lsp RUNTIME DESTINATION .)
endif()
install(FILES share/c-keywords.tbl share/libc.tbl share/posix.tbl share/quenwick.cfg.sample
        DESTINATION .)
configure_file(doc/README-windows.txt ${PROJECT_BINARY_DIR}/README-windows.txt @ONLY
               NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README-windows.txt DESTINATION .)

set(CPACK_PACKAGE_NAME quenwick)
set(CPACK_PACKAGE_VENDOR "quenwick developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Call trees of C source files")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME quenwick-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
