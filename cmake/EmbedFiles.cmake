# Files of the source tree compiled into a program as data.
#
# quenwick_embed_files(OUTPUT DIR FILE...) makes OUTPUT, a C++ source that defines
# quenwick::pageFiles() (declared in src/graph/page_files.h): every FILE of the folder
# DIR, byte for byte, under its name. OUTPUT is made again whenever one of the files
# changes.
#
# Run as a script (cmake -DOUTPUT=... -DDIR=... -DFILES=a|b -P EmbedFiles.cmake) it
# writes OUTPUT. A file that could end the element it is inlined into (a script that
# holds "</script" or "<!--", a style sheet that holds "</style") stops the build.

function(quenwick_embed_files output dir)
  set(paths)
  foreach(name ${ARGN})
    list(APPEND paths ${dir}/${name})
  endforeach()
  string(REPLACE ";" "|" names "${ARGN}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DDIR=${dir} "-DFILES=${names}"
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    DEPENDS ${paths} ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    COMMENT "Embedding the files of ${dir}"
    VERBATIM)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED OUTPUT)
  set(arrays "")
  set(entries "")
  set(index 0)
  string(REPLACE "|" ";" FILES "${FILES}")
  foreach(name ${FILES})
    file(READ ${DIR}/${name} text)
    string(TOLOWER "${text}" lower)
    if(name MATCHES "\\.js$")
      string(FIND "${lower}" "</script" end)
      string(FIND "${lower}" "<!--" comment)
      if(NOT end EQUAL -1 OR NOT comment EQUAL -1)
        message(FATAL_ERROR "${DIR}/${name} holds \"</script\" or \"<!--\"; it cannot be inlined")
      endif()
    elseif(name MATCHES "\\.css$")
      string(FIND "${lower}" "</style" end)
      if(NOT end EQUAL -1)
        message(FATAL_ERROR "${DIR}/${name} holds \"</style\"; it cannot be inlined")
      endif()
    endif()
    file(READ ${DIR}/${name} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    # A terminating zero keeps the array from being empty; it is not part of the text.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){20})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const unsigned char kFile${index}[] = {\n    ${bytes}0};\n")
    string(APPEND entries
           "      {\"${name}\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  set(source "// Made by cmake/EmbedFiles.cmake from the files of ${DIR}; do not edit.
#include \"graph/page_files.h\"

namespace quenwick {

namespace {

${arrays}
}  // namespace

std::span<const PageFile> pageFiles() {
  static const PageFile files[] = {
${entries}  };
  return files;
}

}  // namespace quenwick
")
  file(WRITE ${OUTPUT}.tmp "${source}")
  file(RENAME ${OUTPUT}.tmp ${OUTPUT})
endif()
