# The Linux program as a Debian package (scripts/package runs cpack, then
# lintian and appstreamcli): the run folder (viewer, config.ini, bin/) under
# /usr/lib/voxmere, the launcher `voxmere` and the world tool on the PATH with
# their manual pages, a desktop entry, AppStream metadata and the icon in the
# hicolor theme, and the copyright file, the third-party notices and the
# changelog in /usr/share/doc/voxmere.
set(VOXMERE_RUN_FOLDER lib/voxmere)
set(VOXMERE_ICON_SIZES 16 24 32 48 64 128 256)
# The AppStream component id; the metadata file is named after it.
set(VOXMERE_APPSTREAM_ID org.example.voxmere)

# The changelog's newest entry names the release: its version must be the
# project's, and its date is the release date of the AppStream metadata and
# the date of the manual pages.
set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
foreach(field Version Timestamp)
  execute_process(COMMAND dpkg-parsechangelog -l ${changelog} -S ${field}
                  OUTPUT_VARIABLE changelog_${field} OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(result OR changelog_${field} STREQUAL "")
    message(FATAL_ERROR "dpkg-parsechangelog cannot read the ${field} of packaging/changelog")
  endif()
endforeach()
if(NOT changelog_Version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog starts with version ${changelog_Version}, the project is "
                      "${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
endif()
execute_process(COMMAND date -u -d @${changelog_Timestamp} +%Y-%m-%d
                OUTPUT_VARIABLE VOXMERE_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The icon at each size, made from the window icon: -scale averages pixel
# blocks when shrinking and repeats pixels when growing, so the blocky
# picture stays sharp.
find_program(VOXMERE_CONVERT convert REQUIRED)
set(icon_files "")
foreach(size IN LISTS VOXMERE_ICON_SIZES)
  set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/voxmere.png)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${VOXMERE_CONVERT} ${PROJECT_SOURCE_DIR}/bin/icon.bmp -scale ${size}x${size} ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/bin/icon.bmp
    VERBATIM)
  list(APPEND icon_files ${icon})
  install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(voxmere_icons ALL DEPENDS ${icon_files})

configure_file(${PROJECT_SOURCE_DIR}/packaging/voxmere.sh.in ${CMAKE_BINARY_DIR}/packaging/voxmere @ONLY)

install(TARGETS voxmere RUNTIME DESTINATION ${VOXMERE_RUN_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/config.ini DESTINATION ${VOXMERE_RUN_FOLDER})
install(FILES ${VOXMERE_SHADERS} DESTINATION ${VOXMERE_RUN_FOLDER}/bin/shader)
install(FILES ${CMAKE_BINARY_DIR}/bin/font/font.dds ${CMAKE_BINARY_DIR}/bin/font/fontInfo.txt
        DESTINATION ${VOXMERE_RUN_FOLDER}/bin/font)
install(FILES ${PROJECT_SOURCE_DIR}/bin/icon.bmp DESTINATION ${VOXMERE_RUN_FOLDER}/bin)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/voxmere DESTINATION bin)
# The world tool reads no files: it runs from anywhere.
install(TARGETS voxmere-world RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/voxmere.desktop DESTINATION share/applications)
configure_file(${PROJECT_SOURCE_DIR}/packaging/voxmere.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${VOXMERE_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VOXMERE_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)

# Stripped as Debian's own packages are: without the compiler's .comment and
# .note sections either (cpack installs with stripping on).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(binary ${VOXMERE_RUN_FOLDER}/voxmere bin/voxmere-world)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# A manual page for each program on the PATH, made from its --help and
# --version with the sections of packaging/<program>.h2m added. The launcher
# passes its options to the viewer, so the viewer's text is the launcher's.
find_program(VOXMERE_HELP2MAN help2man REQUIRED)
find_program(VOXMERE_GZIP gzip REQUIRED)
set(VOXMERE_MANUAL_voxmere "real-time voxel terrain viewer")
set(VOXMERE_MANUAL_voxmere-world "print the voxel world a seed builds, chunk by chunk")
set(manual_files "")
foreach(program voxmere voxmere-world)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${changelog_Timestamp}
            ${VOXMERE_HELP2MAN} --no-info --section 1 --name ${VOXMERE_MANUAL_${program}}
            --include ${PROJECT_SOURCE_DIR}/packaging/${program}.h2m --output ${page} $<TARGET_FILE:${program}>
    COMMAND ${VOXMERE_GZIP} -9nf ${page}
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/packaging/${program}.h2m
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  list(APPEND manual_files ${page}.gz)
endforeach()
add_custom_target(voxmere_manuals ALL DEPENDS ${manual_files})
install(FILES ${manual_files} DESTINATION share/man/man1)

# The machine-readable copyright file, the notices of what the packages
# contain from others, and the changelog, compressed as Debian's are.
set(changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMAND ${VOXMERE_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${changelog}
  VERBATIM)
add_custom_target(voxmere_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES ${changelog_gz}
        DESTINATION share/doc/voxmere)

set(VOXMERE_PACKAGE_MAINTAINER "Voxmere developers <voxmere@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voxmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VOXMERE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time voxel terrain viewer")
set(CPACK_PACKAGE_DESCRIPTION
    "Voxmere generates a landscape of unit cubes from a text seed and lets you
walk, jump or fly through it with collision while chunks of terrain stream in
around you. Start it from the desktop's menu or with 'voxmere'; its settings
live in ~/.config/voxmere/config.ini.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # voxmere_<version>_<architecture>.deb
# A viewer of generated landscapes, with nothing to win: graphics, so the
# programs live in /usr/bin (games would put them in /usr/games).
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# dpkg-shlibdeps adds the libraries the binaries link (SDL2, libepoxy, the C++
# runtime); libepoxy loads the OpenGL library and the driver only at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri")

include(CPack)
