# Installs the build into SCRATCH/install: exactly the product's files arrive,
# no test program, no stand-in, no import library, no symbols; the programs
# are stripped and link to their symbols, which stay in the build; the scripts
# and README.txt keep CR LF line ends (cmd.exe can miss the labels of a script
# with bare LF); the README names the programs' real architecture and the
# version. Then cpack into SCRATCH/package: the product's archive holds the
# same files, the symbols archive beside it the symbols, both named with the
# version.
#   cmake -DBUILD_DIR=<build> -DSCRATCH=<folder> -DOBJDUMP=<objdump> -DCPACK=<cpack>
#         -DVERSION=<project version> -P install.cmake
cmake_minimum_required(VERSION 3.25)
set(install "${SCRATCH}/install")
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${install}"
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(expected README.txt bin/register-eventsource.cmd bin/troveload.exe bin/trovesave.exe
    bin/unregister-eventsource.cmd bin/zoratmsg.dll doc/operations.html doc/operations.txt
    examples/nightly-backup.cmd)
file(GLOB_RECURSE installed RELATIVE "${install}" "${install}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed: ${installed}")
endif()

foreach(file README.txt bin/register-eventsource.cmd bin/unregister-eventsource.cmd
             examples/nightly-backup.cmd doc/operations.txt)
  # In hexadecimal, byte by byte: file(READ) drops the CR of a text.
  file(READ "${install}/${file}" hex HEX)
  string(REGEX REPLACE "(..)" ",\\1" bytes "${hex}")
  string(REPLACE ",0d,0a" "" rest "${bytes}")
  if(rest STREQUAL bytes OR rest MATCHES ",0[ad]")
    message(FATAL_ERROR "${file} does not end every line with CR LF")
  endif()
endforeach()

# The HTML guide: a page in UTF-8 with every table and code block of the
# Markdown, and the Japanese texts as they are.
file(READ "${install}/doc/operations.html" html)
file(READ "${install}/doc/operations.txt" markdown)
# same_count(markdown_regex html_regex per_element)
function(same_count in_markdown in_html per_element)
  string(REGEX MATCHALL "${in_markdown}" marks "${markdown}")
  string(REGEX MATCHALL "${in_html}" elements "${html}")
  list(LENGTH marks marks)
  list(LENGTH elements elements)
  math(EXPR marks "${marks} / ${per_element}")
  if(NOT marks EQUAL elements OR marks EQUAL 0)
    message(FATAL_ERROR "doc/operations.html: ${elements} ${in_html} for ${marks} in the Markdown")
  endif()
endfunction()
same_count("\n *[|]---" "<table>" 1)
same_count("\n *```" "<pre><code" 2)
string(FIND "${html}" "<meta charset=\"utf-8\">" at_charset)
string(FIND "${html}" "でエラーが発生しました" at_japanese)
if(at_charset LESS 0 OR at_japanese LESS 0)
  message(FATAL_ERROR "doc/operations.html does not declare UTF-8 or lost the Japanese texts")
endif()

# dump(file out): the section headers and the symbol table of a PE file.
function(dump file out)
  execute_process(COMMAND "${OBJDUMP}" -h -t "${file}" OUTPUT_VARIABLE text
                  COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
foreach(program trovesave troveload)
  dump("${install}/bin/${program}.exe" text)
  string(REGEX MATCH "pei-[a-z0-9-]+" format "${text}")
  if(NOT text MATCHES "SYMBOL TABLE:\nno symbols" OR text MATCHES " \\.debug_"
     OR NOT text MATCHES " \\.gnu_debuglink ")
    message(FATAL_ERROR "bin/${program}.exe is not stripped with a debug link:\n${text}")
  endif()
  dump("${BUILD_DIR}/packaging/symbols/${program}.exe.debug" text)
  if(NOT text MATCHES "\\) 0x[0-9a-f]+ _?main\n")
    message(FATAL_ERROR "${program}.exe.debug lacks the program's symbols:\n${text}")
  endif()
endforeach()

if(format STREQUAL "pei-i386")
  set(system win32)
  set(claim "Both are 32-bit programs")
else()
  set(system win64)
  set(claim "This package holds 64-bit builds")
endif()
file(READ "${install}/README.txt" readme)
if(NOT readme MATCHES "\n${claim}" OR NOT readme MATCHES "\nVersion ${VERSION} " OR readme MATCHES "@")
  message(FATAL_ERROR "README.txt does not say \"${claim}\":\n${readme}")
endif()

# unpacked(zip out): the files of an archive, below its one top folder.
function(unpacked zip out)
  get_filename_component(name "${zip}" NAME_WLE)
  set(folder "${SCRATCH}/unpacked/${name}")
  file(MAKE_DIRECTORY "${folder}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${zip}" WORKING_DIRECTORY "${folder}"
                  COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE files RELATIVE "${folder}/${package}" "${folder}/${package}/*")
  list(SORT files)
  set(${out} "${files}" PARENT_SCOPE)
endfunction()
execute_process(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake"
                -B "${SCRATCH}/package" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# Both archives are named with the version.
set(package "zorat-trove-${VERSION}-${system}")
unpacked("${SCRATCH}/package/${package}.zip" packed)
unpacked("${SCRATCH}/package/${package}-symbols.zip" symbols)
if(NOT packed STREQUAL expected OR NOT symbols STREQUAL "bin/troveload.exe.debug;bin/trovesave.exe.debug")
  message(FATAL_ERROR "${package}.zip: ${packed}\nthe symbols archive: ${symbols}")
endif()
# The archive's programs are the stripped ones that were installed.
foreach(program trovesave troveload)
  file(SHA256 "${install}/bin/${program}.exe" installed)
  file(SHA256 "${SCRATCH}/unpacked/${package}/${package}/bin/${program}.exe" packed)
  if(NOT packed STREQUAL installed)
    message(FATAL_ERROR "${package}.zip: bin/${program}.exe is not the installed one")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
