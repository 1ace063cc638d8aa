# What `cmake --install` puts where, and the Debian package CPack makes from it
# (`cpack -G DEB` in the build folder). Everything goes into the standard places under the
# prefix, so that desktops find the menu entry, the icon, the file types and the manual pages.
include(GNUInstallDirs)

set(corvane_app_id org.corvane.Corvane)
set(corvane_data ${PROJECT_SOURCE_DIR}/data)

foreach(program corvane corvane-cli faxline)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Shipped data. The program carries the cover templates and the help pages inside itself as
# well, so that it runs from its build folder; the installed copies are for people and tools.
install(DIRECTORY ${corvane_data}/covers/ DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/covers)
if(EXISTS ${corvane_data}/help)
  install(DIRECTORY ${corvane_data}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/help)
endif()

install(FILES ${corvane_data}/desktop/${corvane_app_id}.desktop
              ${corvane_data}/desktop/${corvane_app_id}.Viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${corvane_data}/desktop/${corvane_app_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${corvane_data}/mime/corvane.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${corvane_data}/man/corvane.1 ${corvane_data}/man/corvane-cli.1
              ${corvane_data}/man/faxline.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon: the SVG itself, and PNG sizes rendered from it at build time.
install(FILES ${corvane_data}/icons/${corvane_app_id}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(CORVANE_RSVG_CONVERT rsvg-convert)
if(CORVANE_RSVG_CONVERT)
  set(icon_pngs)
  foreach(size 16 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${corvane_app_id}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${CORVANE_RSVG_CONVERT} -w ${size} -h ${size}
              ${corvane_data}/icons/${corvane_app_id}.svg -o ${png}
      DEPENDS ${corvane_data}/icons/${corvane_app_id}.svg
      VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(corvane_icons ALL DEPENDS ${icon_pngs})
else()
  message(WARNING "rsvg-convert not found: the PNG icon sizes are not installed")
endif()

# The Debian package. Library dependencies come from dpkg-shlibdeps; the fonts the program
# draws fax headers and cover pages with are no library, so they are named.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop fax program for fax modems")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane sends and receives faxes through an analog fax modem (Class 1, Class 2 and\n\
Class 2.0), keeps outgoing and incoming fax logs, designs cover sheets, keeps a phone\n\
book, and views, prints and exports faxes. corvane-cli does the same jobs without a\n\
screen, and faxline simulates a fax modem for trying it out.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client")
set(CPACK_STRIP_FILES ON)
include(CPack)
