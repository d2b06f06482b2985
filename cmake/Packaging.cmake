# The Linux program as a Debian package (scripts/package runs cpack): the run
# folder (viewer, config.ini, bin/) under /usr/lib/voxmere, the launcher
# `voxmere` and the world tool on the PATH, a desktop entry and the icon in
# the hicolor theme.
set(VOXMERE_RUN_FOLDER lib/voxmere)
set(VOXMERE_ICON_SIZES 16 24 32 48 64 128 256)

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
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# dpkg-shlibdeps adds the libraries the binaries link (SDL2, libepoxy, the C++
# runtime); libepoxy loads the OpenGL library and the driver only at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri")

include(CPack)
