# What the Windows release carries besides the programs: a version resource in
# each program, from the project's version and the copyright line of LICENSE,
# and the documents scripts/build-windows packs into the zip (README.txt,
# LICENSE.txt, THIRD-PARTY-NOTICES.txt), with Windows line ends.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE copyright_line REGEX "^Copyright \\(c\\) [0-9]+ .+$" LIMIT_COUNT 1)
if(NOT copyright_line MATCHES "^Copyright \\(c\\) [0-9]+ (.+)$")
  message(FATAL_ERROR "LICENSE has no line 'Copyright (c) YEAR HOLDER'")
endif()
set(VOXMERE_COPYRIGHT "${copyright_line}")
set(VOXMERE_COPYRIGHT_HOLDER "${CMAKE_MATCH_1}")

function(voxmere_version_resource target description)
  set(VOXMERE_RESOURCE_PROGRAM ${target})
  set(VOXMERE_RESOURCE_DESCRIPTION "${description}")
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/src/app/resources/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

voxmere_version_resource(voxmere "Voxmere voxel terrain viewer")
voxmere_version_resource(voxmere-world "Voxmere world tool: the terrain of a seed, chunk by chunk")

# configure_file tracks the files: a changed one is written again at the next
# build. LICENSE and the notices hold no @VARIABLES@ (the zip test compares
# them with the originals).
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt
               @ONLY NEWLINE_STYLE CRLF)
