# Installation and the Debian package.
# `cmake --install build --prefix P` puts the program and the importer in P/bin, the shipped files
# in P/share/quillmarsh (where the program looks for them relative to itself), the menu entry in
# P/share/applications, the manual pages in P/share/man/man1, the software centres' entry in
# P/share/metainfo and the icon in the hicolor theme. `cpack -G DEB` in the build folder makes
# quillmarsh_<version>_<arch>.deb for /usr, its dependencies found by dpkg-shlibdeps.
include(GNUInstallDirs)

install(TARGETS quillmarsh quillmarsh-import quillmarsh-lookup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QM_DIST_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmarsh)
install(FILES ${CMAKE_SOURCE_DIR}/dist/applications/quillmarsh.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/man/quillmarsh.1 ${CMAKE_SOURCE_DIR}/dist/man/quillmarsh-import.1
              ${CMAKE_SOURCE_DIR}/dist/man/quillmarsh-lookup.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The software centres' entry; its release is this version.
configure_file(${CMAKE_SOURCE_DIR}/dist/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/metainfo/org.quillmarsh.Quillmarsh.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(QM_ICON_SVG ${CMAKE_SOURCE_DIR}/dist/icons/quillmarsh.svg)
set(QM_ICON_THEME ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${QM_ICON_SVG} DESTINATION ${QM_ICON_THEME}/scalable/apps)

# The bitmap sizes are drawn from the SVG at build time, so a new drawing needs no other step.
find_program(QM_RSVG_CONVERT rsvg-convert)
if(QM_RSVG_CONVERT)
    set(QM_ICON_PNGS)
    foreach(size 16 22 24 32 48 64 128 256)
        set(png ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/quillmarsh.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps
            COMMAND ${QM_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${QM_ICON_SVG}
            DEPENDS ${QM_ICON_SVG}
            COMMENT "Drawing the ${size}x${size} icon")
        list(APPEND QM_ICON_PNGS ${png})
        install(FILES ${png} DESTINATION ${QM_ICON_THEME}/${size}x${size}/apps)
    endforeach()
    add_custom_target(qm_icons ALL DEPENDS ${QM_ICON_PNGS})
else()
    message(WARNING "rsvg-convert (Debian package librsvg2-bin) not found: only the scalable icon is installed")
endif()

set(CPACK_PACKAGE_NAME quillmarsh)
set(CPACK_PACKAGE_VENDOR "Quillmarsh")
set(CPACK_PACKAGE_CONTACT "Quillmarsh maintainers <maintainers@quillmarsh.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Offline look-up of amateur and GMRS call signs")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps a local copy of the public US amateur and GMRS licence files and the Canadian amateur call sign \
list, and looks up call signs with grid square, bearing, distance and sun times; searches by zip code, \
name, city, county and date, exports to CSV and converts files of call signs.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# HTTPS downloads need the certificate store; nothing links against it, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
include(CPack)
